#pragma once
// Base of every scriptlet: IDispatch with a plain reference count, counted in the
// module lock count for its lifetime so the DLL stays loaded while any exists.
#include <oaidl.h>

namespace pelmora {

class CDispatchImpl : public IDispatch {
public:
    CDispatchImpl();
    CDispatchImpl(const CDispatchImpl&) = delete;
    CDispatchImpl& operator=(const CDispatchImpl&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

protected:
    virtual ~CDispatchImpl();

private:
    LONG refs_ = 0;
};

}  // namespace pelmora
