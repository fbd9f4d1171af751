#include "runtime/DispatchImpl.h"

namespace pelmora {

STDMETHODIMP CDispatchImpl::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CDispatchImpl::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

}  // namespace pelmora
