#pragma once
// The IUnknown side of our framework-made COM classes.
//
// A class T derives from ComObjectRoot and from its interfaces and implements
//   HRESULT InternalQueryInterface(REFIID iid, void** out)
// which stores the interface pointer for iid (IID_IUnknown included) without adding a
// reference, or answers E_NOINTERFACE. ComObject<T> makes a stand-alone object of it,
// ComAggObject<T> an aggregated one whose identity is the outer object. Either counts
// itself in the process module's lock count for its lifetime.
#include <objbase.h>

#include <new>

#include "framework/com/DllModule.h"

namespace pelmora::com {

class ComObjectRoot {
public:
    // Runs once the object is fully built; a failure destroys it again.
    HRESULT FinalConstruct() noexcept { return S_OK; }
};

template <class T>
class ComObject final : public T {
public:
    ComObject() { LockProcessModule(); }
    ~ComObject() { UnlockProcessModule(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const HRESULT hr = this->InternalQueryInterface(iid, out);
        if (FAILED(hr) || !*out) {
            *out = nullptr;
            return FAILED(hr) ? hr : E_NOINTERFACE;
        }
        static_cast<IUnknown*>(*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

private:
    LONG refs_ = 0;
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
class ComAggObject final : public IUnknown {
public:
    explicit ComAggObject(IUnknown* outer) : contained_(outer) { LockProcessModule(); }
    ~ComAggObject() { UnlockProcessModule(); }

    HRESULT FinalConstruct() noexcept { return contained_.FinalConstruct(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        const HRESULT hr = contained_.InternalQueryInterface(iid, out);
        if (FAILED(hr) || !*out) {
            *out = nullptr;
            return FAILED(hr) ? hr : E_NOINTERFACE;
        }
        static_cast<IUnknown*>(*out)->AddRef();  // reaches the outer object
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

private:
    LONG refs_ = 0;
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
    try {
        if (outer) return detail::FinishCreation(new ComAggObject<T>(outer), iid, out);
        return detail::FinishCreation(new ComObject<T>(), iid, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::com
