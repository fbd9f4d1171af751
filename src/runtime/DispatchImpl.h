#pragma once
// Base of every scriptlet: IDispatch on our one COM object shape (ComBase.h), counted
// in the module lock count for its lifetime so the DLL stays loaded while any exists.
// Every IDispatch method answers E_NOTIMPL until a scriptlet overrides it.
#include <oaidl.h>

#include "framework/com/ComBase.h"

namespace pelmora {

class CDispatchImpl : public com::ComBase<IDispatch> {
public:
    CDispatchImpl() noexcept = default;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

protected:
    ~CDispatchImpl() override = default;
};

}  // namespace pelmora
