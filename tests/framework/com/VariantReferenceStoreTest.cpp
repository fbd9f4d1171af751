#include <gtest/gtest.h>

#include "framework/com/Bstr.h"
#include "framework/com/Variant.h"
#include "framework/com/VariantByValue.h"
#include "framework/com/VariantReferenceStore.h"
#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"

namespace pelmora::com {
namespace {

using test::BoolValue;
using test::CountingDispatch;
using test::IntValue;
using test::StringValue;

VARIANT ReferenceTo(VARTYPE type, void* slot) {
    VARIANT target;
    V_VT(&target) = static_cast<VARTYPE>(VT_BYREF | type);
    V_BYREF(&target) = slot;
    return target;
}

TEST(VariantReferenceStoreTest, StringReferenceGetsItsOwnCopyConvertedWhereNeeded) {
    Bstr slot;
    VARIANT target = ReferenceTo(VT_BSTR, slot.put());
    *V_BSTRREF(&target) = ::SysAllocString(L"old");
    Variant value = StringValue(L"new");
    EXPECT_EQ(S_OK, StoreThroughReference(&target, *value.get()));
    EXPECT_EQ(L"new", slot.str());
    EXPECT_NE(V_BSTR(value.get()), slot.get()) << "the caller's value was taken over";
    EXPECT_EQ(L"new", std::wstring(V_BSTR(value.get())));

    EXPECT_EQ(S_OK, StoreThroughReference(&target, IntValue(5)));
    EXPECT_EQ(L"5", slot.str());
}

TEST(VariantReferenceStoreTest, NumbersKeepTheirPayloadOtherValuesAreConverted) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    VARIANT flagTarget = ReferenceTo(VT_BOOL, &flag);
    EXPECT_EQ(S_OK, StoreThroughReference(&flagTarget, IntValue(1)));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(S_OK, StoreThroughReference(&flagTarget, BoolValue(true)));
    EXPECT_EQ(VARIANT_TRUE, flag);
    EXPECT_EQ(S_FALSE, StoreThroughReference(&flagTarget, *StringValue(L"not a flag").get()));
    EXPECT_EQ(VARIANT_TRUE, flag);

    LONG number = 0;
    VARIANT numberTarget = ReferenceTo(VT_I4, &number);
    EXPECT_EQ(S_OK, StoreThroughReference(&numberTarget, *StringValue(L"12").get()));
    EXPECT_EQ(12, number);
}

TEST(VariantReferenceStoreTest, UnlistedOrNullReferencesAreLeftAlone) {
    struct Guarded {
        SHORT value;
        SHORT guard;
    } narrow = {7, 0x55};
    VARIANT narrowTarget = ReferenceTo(VT_I2, &narrow.value);
    EXPECT_EQ(S_FALSE, StoreThroughReference(&narrowTarget, IntValue(0x10000)));
    EXPECT_EQ(7, narrow.value);
    EXPECT_EQ(0x55, narrow.guard);

    LONGLONG wide = 3;
    VARIANT wideTarget = ReferenceTo(VT_I8, &wide);
    EXPECT_EQ(S_FALSE, StoreThroughReference(&wideTarget, IntValue(4)));
    EXPECT_EQ(3, wide);

    CountingDispatch held;
    CountingDispatch offered;
    IUnknown* unknownSlot = &held;
    VARIANT unknownTarget = ReferenceTo(VT_UNKNOWN, &unknownSlot);
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = &offered;
    EXPECT_EQ(S_FALSE, StoreThroughReference(&unknownTarget, object));
    EXPECT_EQ(static_cast<IUnknown*>(&held), unknownSlot);
    EXPECT_EQ(1, held.References());
    EXPECT_EQ(1, offered.References());

    VARIANT nullTarget = ReferenceTo(VT_BOOL, nullptr);
    EXPECT_EQ(S_FALSE, StoreThroughReference(&nullTarget, BoolValue(true)));
}

TEST(VariantReferenceStoreTest, ObjectReferenceSwapsObjectsWithBalancedCounts) {
    CountingDispatch previous;
    CountingDispatch next;
    IDispatch* slot = &previous;
    VARIANT target = ReferenceTo(VT_DISPATCH, &slot);
    {
        Variant value;
        V_VT(value.get()) = VT_DISPATCH;
        V_DISPATCH(value.get()) = &next;
        next.AddRef();  // the value's own reference
        EXPECT_EQ(S_OK, StoreThroughReference(&target, *value.get()));
        EXPECT_EQ(static_cast<IDispatch*>(&next), slot);
    }
    EXPECT_EQ(0, previous.References());
    EXPECT_EQ(2, next.References());
}

TEST(VariantReferenceStoreTest, ArrayReferenceReplacesTheArrayAndPlainTargetIsReplacedWhole) {
    SAFEARRAY* slot = ::SafeArrayCreateVector(VT_I4, 0, 1);
    VARIANT target = ReferenceTo(VT_SAFEARRAY, &slot);
    Variant value;
    V_VT(value.get()) = VT_ARRAY | VT_I4;
    V_ARRAY(value.get()) = ::SafeArrayCreateVector(VT_I4, 0, 3);
    EXPECT_EQ(S_OK, StoreThroughReference(&target, *value.get()));
    ASSERT_NE(nullptr, slot);
    EXPECT_NE(V_ARRAY(value.get()), slot);
    EXPECT_EQ(3u, slot->rgsabound[0].cElements);
    EXPECT_EQ(S_FALSE, StoreThroughReference(&target, IntValue(1)));
    ::SafeArrayDestroy(slot);

    Variant plain(BoolValue(false));
    EXPECT_EQ(S_OK, StoreThroughReference(plain.get(), *StringValue(L"text").get()));
    EXPECT_EQ(L"text", test::StringOf(plain));
}

TEST(VariantByValueTest, ReferencesAreFollowedToPlainValuesOrGiveEmpty) {
    Variant text = StringValue(L"deep");
    VARIANT inner = ReferenceTo(VT_VARIANT, text.get());
    VARIANT outer = ReferenceTo(VT_VARIANT, &inner);
    Variant copy;
    EXPECT_EQ(S_OK, CopyByValue(copy.get(), outer));
    EXPECT_EQ(L"deep", test::StringOf(copy));

    LONG number = 8;
    EXPECT_EQ(S_OK, CopyByValue(copy.get(), ReferenceTo(VT_I4, &number)));
    ASSERT_EQ(VT_I4, V_VT(copy.get()));
    EXPECT_EQ(8, V_I4(copy.get()));

    VARIANT loop;
    V_VT(&loop) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&loop) = &loop;
    for (const VARIANT& broken : {loop, ReferenceTo(VT_VARIANT, nullptr), ReferenceTo(VT_BSTR, nullptr)}) {
        EXPECT_EQ(S_OK, CopyByValue(copy.get(), broken));
        EXPECT_EQ(VT_EMPTY, V_VT(copy.get()));
    }
}

}  // namespace
}  // namespace pelmora::com
