#pragma once
// A document the HTML engine does not render (an image, a PDF): a plain object with
// no IHTMLDocument2 and nothing a script can reach.
#include <oaidl.h>

#include "framework/com/ComBase.h"

namespace pelmora::browser {

class NonHtmlDocument : public com::ComBase<IDispatch> {
public:

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;
};

}  // namespace pelmora::browser
