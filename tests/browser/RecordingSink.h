#pragma once
// An event sink that records each call's DISPID and argument types, and answers
// BeforeNavigate2 or NavigateError with Cancel when asked to.
#include <exdispid.h>
#include <oaidl.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "FakeCom.h"
#include "framework/com/ComPtr.h"

namespace pelmora::test {

struct RecordedCall {
    DISPID id;
    std::vector<VARTYPE> argumentTypes;  // in rgvarg order (reversed)
    std::wstring url;                    // the URL argument, when there is one
    com::ComPtr<IDispatch> frame;        // the pDisp argument, when there is one
    LONG status = 0;                     // NavigateError's StatusCode
};

class RecordingSink final : public FakeObjectDispatch {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        RecordedCall call{id, {}, {}, {}, 0};
        for (UINT i = 0; i < params->cArgs; ++i) call.argumentTypes.push_back(V_VT(&params->rgvarg[i]));
        if (params->cArgs >= 2) {
            const VARIANT& first = params->rgvarg[params->cArgs - 1];
            if (V_VT(&first) == VT_DISPATCH) call.frame = com::ComPtr<IDispatch>(V_DISPATCH(&first));
            const VARIANT& url = params->rgvarg[params->cArgs - 2];
            if (V_VT(&url) == (VT_BYREF | VT_VARIANT) && V_VT(V_VARIANTREF(&url)) == VT_BSTR)
                call.url = V_BSTR(V_VARIANTREF(&url));
        }
        if (id == DISPID_BEFORENAVIGATE2 && cancelUrl == call.url && V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_BOOL))
            *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
        if (id == DISPID_NAVIGATEERROR && params->cArgs == 5) {
            const VARIANT& status = params->rgvarg[1];
            if (V_VT(&status) == (VT_BYREF | VT_VARIANT) && V_VT(V_VARIANTREF(&status)) == VT_I4)
                call.status = V_I4(V_VARIANTREF(&status));
            if (cancelErrors && V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_BOOL))
                *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
        }
        calls.push_back(call);
        return S_OK;
    }

    std::vector<RecordedCall> calls;
    std::wstring cancelUrl;  // BeforeNavigate2 of this URL is cancelled
    bool cancelErrors = false;  // every NavigateError is cancelled
};

// Advises the sink on the source's connection point for the event interface.
inline DWORD Advise(IUnknown* source, REFIID events, IDispatch* sink) {
    com::ComPtr<IConnectionPointContainer> container;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, container.put_void()))) return 0;
    com::ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(events, point.put()))) return 0;
    DWORD cookie = 0;
    point->Advise(sink, &cookie);
    return cookie;
}

}  // namespace pelmora::test
