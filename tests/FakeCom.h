#pragma once
// A COM object made up by a test, in the manner of Wine's own tests: it answers the
// interfaces it lists, counts the references it is given, logs the calls it receives,
// and fails the test on any call of a method it was not given a body for.
//
//   test::FakeCom sink;
//   IDispatch* dispatch = sink.Answer<IDispatch>();
//   sink.On<&IDispatch::Invoke>("Invoke", [&](DISPID id, REFIID, LCID, WORD, DISPPARAMS*,
//                                             VARIANT*, EXCEPINFO*, UINT*) { return S_OK; });
//
// Each listed interface gets a method table of its own. Its IUnknown slots are the
// fake's, every other slot starts as a stub that fails the test, and On() puts a body
// into one slot. That a stub may stand in for any method relies on x64, where every
// COM method has the one calling convention; the tests run only there. A method's slot
// comes from its pointer to member: in GCC's ABI a virtual method's pointer holds one
// more than the byte offset of its slot.
//
// The fake lives on the test's stack, so it never deletes itself; a reference still
// held when it goes away fails the test, since its holder would point into nothing.
// Counts may change on any thread; bodies and the call log are for one thread.
#include <gtest/gtest.h>
#include <objbase.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#if !defined(_WIN64)
#error "FakeCom's method tables rely on the single calling convention of x64"
#endif

namespace pelmora::test {

class FakeCom {
public:
    // More than any interface a test fakes has (IWebBrowser2 has about 70).
    static constexpr size_t kMaxSlots = 128;

    explicit FakeCom(std::string name = "fake") : name_(std::move(name)) {}
    ~FakeCom() {
        EXPECT_EQ(References(), 0) << name_ << " goes away while references to it are held";
    }
    FakeCom(const FakeCom&) = delete;
    FakeCom& operator=(const FakeCom&) = delete;

    // Makes the object answer I and returns it (no reference added). The first
    // interface listed is the object's identity, its IUnknown.
    template <class I>
    I* Answer() {
        if (!FindFace(__uuidof(I))) faces_.push_back(std::make_unique<Face>(*this, __uuidof(I)));
        return Get<I>();
    }

    // A listed interface, without a reference; null (and a failure) for any other.
    template <class I>
    I* Get() const {
        Face* face = FindFace(__uuidof(I));
        EXPECT_NE(face, nullptr) << name_ << " does not list the interface asked for";
        return face ? reinterpret_cast<I*>(&face->raw) : nullptr;
    }
    IUnknown* Unknown() const {
        EXPECT_FALSE(faces_.empty()) << name_ << " lists no interface";
        return faces_.empty() ? nullptr : reinterpret_cast<IUnknown*>(&faces_.front()->raw);
    }

    // Gives Method of a listed interface a body: a callable with the method's
    // parameters, without the interface pointer. Each call is logged under name.
    template <auto Method, class Body>
    void On(const char* name, Body body) {
        SetBody<Method>(Method, name, std::move(body));
    }

    [[nodiscard]] LONG AddRefs() const { return addRefs_; }
    [[nodiscard]] LONG Releases() const { return releases_; }
    [[nodiscard]] LONG Queries() const { return queries_; }
    [[nodiscard]] LONG References() const { return addRefs_ - releases_; }
    // The names of the calls received, oldest first; IUnknown calls are counted instead.
    [[nodiscard]] const std::vector<std::string>& Calls() const { return calls_; }

private:
    struct Face;
    // What an interface pointer points at: the method table, then the way back.
    struct Raw {
        void* const* table;
        Face* face;
    };
    struct Face {
        Face(FakeCom& owner, const IID& iid) : owner(owner), iid(iid) {
            raw = Raw{table.data(), this};
            table = UnexpectedTable(std::make_index_sequence<kMaxSlots>());
            table[0] = reinterpret_cast<void*>(&FaceQueryInterface);
            table[1] = reinterpret_cast<void*>(&FaceAddRef);
            table[2] = reinterpret_cast<void*>(&FaceRelease);
        }
        Raw raw;
        FakeCom& owner;
        IID iid;
        std::array<void*, kMaxSlots> table{};
        std::array<std::shared_ptr<void>, kMaxSlots> bodies{};
        std::array<std::string, kMaxSlots> names{};
    };

    static Face& FaceOf(const void* pointer) { return *static_cast<const Raw*>(pointer)->face; }

    Face* FindFace(const IID& iid) const {
        for (const auto& face : faces_) {
            if (IsEqualIID(face->iid, iid)) return face.get();
        }
        return nullptr;
    }

    template <class Member>
    static size_t SlotOf(Member method) {
        static_assert(sizeof(Member) == 2 * sizeof(uintptr_t), "a pointer to a member function of GCC's ABI");
        uintptr_t words[2] = {};
        std::memcpy(words, &method, sizeof(words));
        EXPECT_EQ(words[0] & 1, 1u) << "not a virtual method";
        return (words[0] - 1) / sizeof(void*);
    }

    template <auto Method, class I, class R, class... Args>
    static R STDMETHODCALLTYPE CallBody(I* self, Args... args) {
        Face& face = FaceOf(self);
        const size_t slot = SlotOf(Method);
        face.owner.calls_.push_back(face.names[slot]);
        return (*static_cast<std::function<R(Args...)>*>(face.bodies[slot].get()))(args...);
    }

    template <auto Method, class I, class R, class... Args, class Body>
    void SetBody(R (I::*method)(Args...), const char* name, Body body) {
        Face* face = FindFace(__uuidof(I));
        ASSERT_NE(face, nullptr) << name_ << " gets a body for " << name << " of an interface it does not list";
        const size_t slot = SlotOf(method);
        ASSERT_GT(slot, 2u) << "IUnknown is the fake's own";
        ASSERT_LT(slot, kMaxSlots);
        face->bodies[slot] = std::make_shared<std::function<R(Args...)>>(std::move(body));
        face->names[slot] = name;
        face->table[slot] = reinterpret_cast<void*>(&CallBody<Method, I, R, Args...>);
    }

    template <size_t Slot>
    static HRESULT STDMETHODCALLTYPE UnexpectedCall(const void* self) {
        const Face& face = FaceOf(self);
        wchar_t iid[40] = {};
        ::StringFromGUID2(face.iid, iid, 40);
        std::string text;
        for (const wchar_t* c = iid; *c; ++c) text += static_cast<char>(*c);
        ADD_FAILURE() << face.owner.name_ << ": unexpected call of method " << Slot << " of " << text;
        return E_NOTIMPL;
    }

    template <size_t... Slots>
    static std::array<void*, kMaxSlots> UnexpectedTable(std::index_sequence<Slots...>) {
        return {reinterpret_cast<void*>(&UnexpectedCall<Slots>)...};
    }

    static HRESULT STDMETHODCALLTYPE FaceQueryInterface(const void* self, REFIID iid, void** out) {
        FakeCom& owner = FaceOf(self).owner;
        ++owner.queries_;
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, GUID_NULL)) return E_NOINTERFACE;
        IUnknown* answer = IsEqualIID(iid, IID_IUnknown) ? owner.Unknown() : nullptr;
        if (!answer) {
            Face* face = owner.FindFace(iid);
            answer = face ? reinterpret_cast<IUnknown*>(&face->raw) : nullptr;
        }
        if (!answer) return E_NOINTERFACE;
        answer->AddRef();
        *out = answer;
        return S_OK;
    }
    static ULONG STDMETHODCALLTYPE FaceAddRef(const void* self) {
        FakeCom& owner = FaceOf(self).owner;
        ++owner.addRefs_;
        return static_cast<ULONG>(owner.References());
    }
    static ULONG STDMETHODCALLTYPE FaceRelease(const void* self) {
        FakeCom& owner = FaceOf(self).owner;
        ++owner.releases_;
        EXPECT_GE(owner.References(), 0) << owner.name_ << " released more often than referenced";
        return static_cast<ULONG>(owner.References());
    }

    std::string name_;
    std::atomic<LONG> addRefs_{0};
    std::atomic<LONG> releases_{0};
    std::atomic<LONG> queries_{0};
    std::vector<std::unique_ptr<Face>> faces_;
    std::vector<std::string> calls_;
};

}  // namespace pelmora::test
