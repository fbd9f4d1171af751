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
// Each interface a fake can answer is a small class below that implements every method
// of it, so the compiler gives each method its own calling convention: on x86 COM
// methods are stdcall and pop their own arguments, so one stub cannot stand in for
// every method. A method goes to the body On() gave it, or fails the test. To fake
// another interface, add its FakeFace specialization.
//
// The fake lives on the test's stack, so it never deletes itself; a reference still
// held when it goes away fails the test, since its holder would point into nothing.
// Counts may change on any thread; bodies and the call log are for one thread.
//
// A fake with behaviour of its own (a type info, a sink that records what it hears) is
// written as a class instead: FakeObject<Primary, Also...> answers QueryInterface from
// the product's own interface table (framework/com/ComBase.h), counts from the one
// reference its creator holds, and never deletes itself. FakeObjectDispatch adds an
// IDispatch whose methods fail until overridden.
#include <gtest/gtest.h>
#include <objbase.h>
#include <ocidl.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/com/ComBase.h"

namespace pelmora::test {

template <class Primary, class... Also>
class FakeObject : public com::Interfaces<Primary, Also...> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return com::AnswerQuery(this->InterfaceFor(iid), out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    [[nodiscard]] LONG References() const noexcept { return refs; }

    LONG refs = 1;
};

class FakeObjectDispatch : public FakeObject<IDispatch> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

class FakeCom;

namespace fake_detail {

// The interface and the body type of a method, from its pointer to member. On x86 the
// stdcall convention is part of the type, so it needs a form of its own.
template <class Member>
struct MethodTraits;
template <class R, class I, class... Args>
struct MethodTraits<R (I::*)(Args...)> {
    using Interface = I;
    using Body = std::function<R(Args...)>;
};
#if !defined(_WIN64)
template <class R, class I, class... Args>
struct MethodTraits<R(__stdcall I::*)(Args...)> {
    using Interface = I;
    using Body = std::function<R(Args...)>;
};
#endif

// One address per method, to find its body by.
template <auto Method>
inline const char kMethodKey = 0;

// What every face shares: it is owned by a FakeCom, and reached through its interface.
class FaceBase {
public:
    virtual ~FaceBase() = default;
    virtual IUnknown* Pointer() = 0;
    virtual const IID& Iid() const = 0;
};

}  // namespace fake_detail

// The face of a FakeCom for interface I: IUnknown goes to the owner, every other method
// of I to Call(). Specialised below for each interface a test fakes.
template <class I>
class FakeFace;

class FakeCom {
public:
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
        if (!FindFace(__uuidof(I))) faces_.push_back(std::make_unique<FakeFace<I>>(*this));
        return Get<I>();
    }

    // A listed interface, without a reference; null (and a failure) for any other.
    template <class I>
    I* Get() const {
        fake_detail::FaceBase* face = FindFace(__uuidof(I));
        EXPECT_NE(face, nullptr) << name_ << " does not list the interface asked for";
        return face ? static_cast<I*>(face->Pointer()) : nullptr;
    }
    IUnknown* Unknown() const {
        EXPECT_FALSE(faces_.empty()) << name_ << " lists no interface";
        return faces_.empty() ? nullptr : faces_.front()->Pointer();
    }

    // Gives Method of a listed interface a body: a callable with the method's
    // parameters, without the interface pointer. Each call is logged under name.
    template <auto Method, class Body>
    void On(const char* name, Body body) {
        using Traits = fake_detail::MethodTraits<decltype(Method)>;
        ASSERT_NE(FindFace(__uuidof(typename Traits::Interface)), nullptr)
            << name_ << " gets a body for " << name << " of an interface it does not list";
        bodies_[&fake_detail::kMethodKey<Method>] =
            Entry{name, std::make_shared<typename Traits::Body>(std::move(body))};
    }

    [[nodiscard]] LONG AddRefs() const { return addRefs_; }
    [[nodiscard]] LONG Releases() const { return releases_; }
    [[nodiscard]] LONG Queries() const { return queries_; }
    [[nodiscard]] LONG References() const { return addRefs_ - releases_; }
    // The names of the calls received, oldest first; IUnknown calls are counted instead.
    [[nodiscard]] const std::vector<std::string>& Calls() const { return calls_; }

    // The faces' way in: IUnknown, and every other method by its pointer to member.
    HRESULT Query(REFIID iid, void** out) {
        ++queries_;
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, GUID_NULL)) return E_NOINTERFACE;
        IUnknown* answer = IsEqualIID(iid, IID_IUnknown) ? Unknown() : nullptr;
        if (!answer) {
            fake_detail::FaceBase* face = FindFace(iid);
            answer = face ? face->Pointer() : nullptr;
        }
        if (!answer) return E_NOINTERFACE;
        answer->AddRef();
        *out = answer;
        return S_OK;
    }
    ULONG AddRef() {
        ++addRefs_;
        return static_cast<ULONG>(References());
    }
    ULONG Release() {
        ++releases_;
        EXPECT_GE(References(), 0) << name_ << " released more often than referenced";
        return static_cast<ULONG>(References());
    }
    template <auto Method, class... Args>
    HRESULT Call(const char* method, Args&&... args) {
        const auto found = bodies_.find(&fake_detail::kMethodKey<Method>);
        if (found == bodies_.end()) {
            ADD_FAILURE() << name_ << ": unexpected call of " << method;
            return E_NOTIMPL;
        }
        calls_.push_back(found->second.name);
        using Body = typename fake_detail::MethodTraits<decltype(Method)>::Body;
        return (*static_cast<Body*>(found->second.body.get()))(std::forward<Args>(args)...);
    }

private:
    struct Entry {
        std::string name;
        std::shared_ptr<void> body;
    };

    fake_detail::FaceBase* FindFace(const IID& iid) const {
        for (const auto& face : faces_) {
            if (IsEqualIID(face->Iid(), iid)) return face.get();
        }
        return nullptr;
    }

    std::string name_;
    std::atomic<LONG> addRefs_{0};
    std::atomic<LONG> releases_{0};
    std::atomic<LONG> queries_{0};
    std::vector<std::unique_ptr<fake_detail::FaceBase>> faces_;
    std::map<const void*, Entry> bodies_;
    std::vector<std::string> calls_;
};

namespace fake_detail {

// IUnknown for a face of interface I.
template <class I>
class FaceOf : public I, public FaceBase {
public:
    explicit FaceOf(FakeCom& owner) : owner_(owner) {}
    IUnknown* Pointer() override { return static_cast<I*>(this); }
    const IID& Iid() const override { return __uuidof(I); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return owner_.Query(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

protected:
    FakeCom& owner_;
};

}  // namespace fake_detail

#define PELMORA_FAKE_CALL(Interface, Method, ...) owner_.Call<&Interface::Method>(#Interface "::" #Method, __VA_ARGS__)

template <>
class FakeFace<IUnknown> : public fake_detail::FaceOf<IUnknown> {
public:
    using FaceOf::FaceOf;
};

template <>
class FakeFace<IPersist> : public fake_detail::FaceOf<IPersist> {
public:
    using FaceOf::FaceOf;
    STDMETHODIMP GetClassID(CLSID* clsid) override { return PELMORA_FAKE_CALL(IPersist, GetClassID, clsid); }
};

template <>
class FakeFace<IDispatch> : public fake_detail::FaceOf<IDispatch> {
public:
    using FaceOf::FaceOf;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        return PELMORA_FAKE_CALL(IDispatch, GetTypeInfoCount, count);
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return PELMORA_FAKE_CALL(IDispatch, GetTypeInfo, index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return PELMORA_FAKE_CALL(IDispatch, GetIDsOfNames, iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return PELMORA_FAKE_CALL(IDispatch, Invoke, member, iid, lcid, flags, params, result, exception, argError);
    }
};

template <>
class FakeFace<IConnectionPointContainer> : public fake_detail::FaceOf<IConnectionPointContainer> {
public:
    using FaceOf::FaceOf;
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return PELMORA_FAKE_CALL(IConnectionPointContainer, EnumConnectionPoints, points);
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        return PELMORA_FAKE_CALL(IConnectionPointContainer, FindConnectionPoint, iid, point);
    }
};

#undef PELMORA_FAKE_CALL

}  // namespace pelmora::test
