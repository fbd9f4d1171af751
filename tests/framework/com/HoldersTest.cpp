// The reference-owning holders: ComPtr, Variant and Bstr must keep reference counts
// balanced and strings whole through every way of handing a value on.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <utility>

#include "FakeCom.h"
#include "framework/com/Bstr.h"
#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"

namespace pelmora::com {
namespace {

// Lives on the stack with the test's own reference; counts what holders do to it.
class Counted final : public test::FakeObject<IPersist> {
public:
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = GUID_NULL;
        return S_OK;
    }
};

template <typename T>
T& Same(T& value) {
    return value;  // hides self-assignment from the compiler's warning
}

// ---------------------------------------------------------------------------------
// ComPtr

TEST(ComPtrCounts, CopiesAddAReferenceAndMovesDoNot) {
    Counted object;
    {
        ComPtr<IPersist> first(&object);
        EXPECT_EQ(object.refs, 2);
        ComPtr<IPersist> copy(first);
        EXPECT_EQ(object.refs, 3);
        ComPtr<IPersist> moved(std::move(copy));
        EXPECT_EQ(object.refs, 3);
        EXPECT_FALSE(copy);
        ComPtr<IPersist> assigned;
        assigned = first;
        EXPECT_EQ(object.refs, 4);
        ComPtr<IPersist> moveAssigned;
        moveAssigned = std::move(assigned);
        EXPECT_EQ(object.refs, 4);
        EXPECT_FALSE(assigned);
    }
    EXPECT_EQ(object.refs, 1);
}

TEST(ComPtrCounts, AssigningAnotherObjectReleasesTheOldOne) {
    Counted oldObject;
    Counted newObject;
    {
        ComPtr<IPersist> holder(&oldObject);
        ComPtr<IPersist> other(&newObject);
        holder = other;
        EXPECT_EQ(oldObject.refs, 1);
        EXPECT_EQ(newObject.refs, 3);
        ComPtr<IPersist> third(&oldObject);
        holder = std::move(third);
        EXPECT_EQ(newObject.refs, 2);
        EXPECT_EQ(oldObject.refs, 2);
    }
    EXPECT_EQ(oldObject.refs, 1);
    EXPECT_EQ(newObject.refs, 1);
}

TEST(ComPtrCounts, SelfAssignmentKeepsTheReference) {
    Counted object;
    {
        ComPtr<IPersist> holder(&object);
        holder = Same(holder);
        EXPECT_EQ(object.refs, 2);
        holder = std::move(Same(holder));
        EXPECT_EQ(object.refs, 2);
        EXPECT_EQ(holder.get(), &object);
    }
    EXPECT_EQ(object.refs, 1);
}

TEST(ComPtrCounts, PutReleasesWhatWasHeldBeforeHandingOutTheAddress) {
    Counted first;
    Counted second;
    {
        ComPtr<IPersist> holder(&first);
        IPersist** slot = holder.put();
        EXPECT_EQ(first.refs, 1);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(*slot, nullptr);
        // As an API fills an out pointer: with a reference for the caller.
        ASSERT_HRESULT_SUCCEEDED(second.QueryInterface(IID_IPersist, reinterpret_cast<void**>(slot)));
        EXPECT_EQ(second.refs, 2);
        ASSERT_HRESULT_SUCCEEDED(first.QueryInterface(IID_IPersist, holder.put_void()));
        EXPECT_EQ(second.refs, 1);
        EXPECT_EQ(first.refs, 2);
    }
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 1);
}

TEST(ComPtrCounts, AttachAdoptsAndDetachHandsOverWithoutCounting) {
    Counted object;
    object.AddRef();  // the reference to adopt
    {
        ComPtr<IPersist> holder = ComPtr<IPersist>::Attach(&object);
        EXPECT_EQ(object.refs, 2);
        IPersist* raw = holder.Detach();
        EXPECT_EQ(raw, &object);
        EXPECT_FALSE(holder);
        EXPECT_EQ(object.refs, 2);
        ComPtr<IPersist> again = ComPtr<IPersist>::Attach(raw);
    }
    EXPECT_EQ(object.refs, 1);
}

TEST(ComPtrCounts, CopyToAndAsHandOutOneNewReference) {
    Counted object;
    {
        ComPtr<IPersist> holder(&object);
        IPersist* copy = nullptr;
        ASSERT_HRESULT_SUCCEEDED(holder.CopyTo(&copy));
        EXPECT_EQ(copy, &object);
        EXPECT_EQ(object.refs, 3);
        copy->Release();
        EXPECT_EQ(holder.CopyTo(nullptr), E_POINTER);

        ComPtr<IUnknown> unknown;
        ASSERT_HRESULT_SUCCEEDED(holder.As(unknown));
        EXPECT_EQ(object.refs, 3);
        EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(&object));
        ComPtr<IPersist> empty;
        EXPECT_EQ(empty.As(unknown), E_POINTER);
    }
    EXPECT_EQ(object.refs, 1);
}

// ---------------------------------------------------------------------------------
// Variant

VARIANT Borrowed(IUnknown* object) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;  // no reference of its own: the holder under test copies it
    return value;
}

TEST(VariantCounts, CopiesAddAReferenceMovesDoNotAndDestructionReleases) {
    Counted object;
    const VARIANT source = Borrowed(&object);
    {
        Variant held(source);
        EXPECT_EQ(object.refs, 2);
        Variant copy(held);
        EXPECT_EQ(object.refs, 3);
        Variant moved(std::move(copy));
        EXPECT_EQ(object.refs, 3);
        EXPECT_EQ(copy->vt, VT_EMPTY);
        Variant assigned;
        assigned = held;
        EXPECT_EQ(object.refs, 4);
        assigned = Same(assigned);
        EXPECT_EQ(object.refs, 4);
        EXPECT_EQ(assigned->punkVal, static_cast<IUnknown*>(&object));
    }
    EXPECT_EQ(object.refs, 1);
}

TEST(VariantCounts, PutClearAndCopyFromReleaseTheOldValue) {
    Counted first;
    Counted second;
    {
        Variant held(Borrowed(&first));
        ASSERT_HRESULT_SUCCEEDED(held.CopyFrom(Borrowed(&second)));
        EXPECT_EQ(first.refs, 1);
        EXPECT_EQ(second.refs, 2);

        VARIANT* slot = held.put();
        EXPECT_EQ(second.refs, 1);
        EXPECT_EQ(slot->vt, VT_EMPTY);

        ASSERT_HRESULT_SUCCEEDED(held.CopyFrom(Borrowed(&first)));
        EXPECT_EQ(first.refs, 2);
        held.Clear();
        EXPECT_EQ(first.refs, 1);
        EXPECT_EQ(held->vt, VT_EMPTY);
    }
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 1);
}

TEST(VariantCounts, DetachToHandsTheReferenceOver) {
    Counted object;
    VARIANT target;
    ::VariantInit(&target);
    {
        Variant held(Borrowed(&object));
        held.DetachTo(&target);
        EXPECT_EQ(held->vt, VT_EMPTY);
        EXPECT_EQ(object.refs, 2);
    }
    EXPECT_EQ(object.refs, 2);
    EXPECT_EQ(target.vt, VT_UNKNOWN);
    ::VariantClear(&target);
    EXPECT_EQ(object.refs, 1);
}

// ---------------------------------------------------------------------------------
// Bstr

TEST(BstrText, CopiesAreSeparateAndKeepEmbeddedZeros) {
    const std::wstring text(L"a\0b", 3);
    Bstr original(text);
    ASSERT_NE(original.get(), nullptr);
    EXPECT_EQ(original.length(), 3u);
    Bstr copy(original);
    EXPECT_NE(copy.get(), original.get());
    EXPECT_EQ(copy.str(), text);
    Bstr assigned;
    assigned = original;
    EXPECT_NE(assigned.get(), original.get());
    EXPECT_EQ(assigned.str(), text);
    assigned = Same(assigned);
    EXPECT_EQ(assigned.str(), text);
}

TEST(BstrText, MovesAttachAndDetachHandOverTheSameString) {
    Bstr original(std::wstring_view(L"text"));
    const BSTR raw = original.get();
    Bstr moved(std::move(original));
    EXPECT_EQ(moved.get(), raw);
    EXPECT_EQ(original.get(), nullptr);
    EXPECT_TRUE(original.empty());
    EXPECT_EQ(original.str(), L"");

    BSTR detached = moved.Detach();
    EXPECT_EQ(detached, raw);
    EXPECT_EQ(moved.get(), nullptr);
    Bstr attached = Bstr::Attach(detached);
    EXPECT_EQ(attached.get(), raw);
    EXPECT_EQ(attached.str(), L"text");

    // put() empties the holder for an API to fill.
    BSTR* slot = attached.put();
    EXPECT_EQ(*slot, nullptr);
    *slot = ::SysAllocString(L"filled");
    EXPECT_EQ(attached.str(), L"filled");
}

}  // namespace
}  // namespace pelmora::com
