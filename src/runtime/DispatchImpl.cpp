#include "runtime/DispatchImpl.h"

#include "framework/com/DllModule.h"

namespace pelmora {

CDispatchImpl::CDispatchImpl() { com::LockProcessModule(); }

CDispatchImpl::~CDispatchImpl() { com::UnlockProcessModule(); }

STDMETHODIMP CDispatchImpl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

// Scriptlets live on the browser's user-interface thread: a plain count suffices.
STDMETHODIMP_(ULONG) CDispatchImpl::AddRef() { return static_cast<ULONG>(++refs_); }

STDMETHODIMP_(ULONG) CDispatchImpl::Release() {
    const LONG refs = --refs_;
    if (refs == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(refs);
}

STDMETHODIMP CDispatchImpl::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

}  // namespace pelmora
