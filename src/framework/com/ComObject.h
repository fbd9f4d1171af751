#pragma once
// The COM classes an object map makes, which may be aggregated.
//
// A class T derives from its interface table, com::Interfaces<...> (ComBase.h), and
// from nothing else that answers IUnknown. ComObject<T> makes a stand-alone object of
// it, ComAggObject<T> an aggregated one whose identity is the outer object; either
// counts itself in the process module's lock count for its lifetime. CreateComInstance
// picks one. Objects that are never aggregated derive from ComBase instead.
#include <objbase.h>

#include "framework/com/ComBase.h"
#include "framework/com/ExceptionBarrier.h"

namespace pelmora::com {

namespace detail {
// QueryInterface through T's interface table, with ComBase's rules.
template <class T>
HRESULT QueryInternal(T& object, REFIID iid, void** out) noexcept {
    return AnswerQuery(object.InterfaceFor(iid), out);
}
}  // namespace detail

template <class T>
class ComObject final : public SelfDeletingObject<ModuleLocked<T>> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return detail::QueryInternal(*this, iid, out); }
};

// T inside an aggregate: every IUnknown call goes to the outer object.
template <class T>
class ComContainedObject final : public T {
public:
    explicit ComContainedObject(IUnknown* outer) noexcept : outer_(outer) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

private:
    IUnknown* outer_;  // not counted: the outer object owns us
};

// The inner, non-delegating unknown the outer object holds.
template <class T>
class ComAggObject final : public SelfDeletingObject<ModuleLocked<IUnknown>> {
public:
    explicit ComAggObject(IUnknown* outer) : contained_(outer) {}

    HRESULT FinalConstruct() noexcept { return contained_.FinalConstruct(); }

    // IUnknown is this inner unknown itself; the class's interfaces get their reference
    // from the outer object.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out && IsEqualIID(iid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return detail::QueryInternal(contained_, iid, out);
    }

private:
    ComContainedObject<T> contained_;
};

namespace detail {
template <class Object>
HRESULT FinishCreation(Object* object, REFIID iid, void** out) {
    object->AddRef();  // keeps it alive through FinalConstruct and the query
    HRESULT hr = object->FinalConstruct();
    if (SUCCEEDED(hr)) hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}
}  // namespace detail

// Instance creator of an object map entry: plain without an outer object, aggregated
// with one (and then only IUnknown may be asked for, as COM requires).
template <class T>
HRESULT CreateComInstance(IUnknown* outer, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return ExceptionBarrier([&] {
        if (outer) return detail::FinishCreation(new ComAggObject<T>(outer), iid, out);
        return detail::FinishCreation(new ComObject<T>(), iid, out);
    });
}

}  // namespace pelmora::com
