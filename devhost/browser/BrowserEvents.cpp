#include "browser/BrowserEvents.h"

#include <exdispid.h>

#include "browser/DispatchTypes.h"
#include "framework/com/Bstr.h"
#include "framework/com/Variant.h"

namespace pelmora::browser {

namespace {

VARIANT ByReference(VARIANT* target) {
    VARIANT reference;
    ::VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = target;
    return reference;
}

VARIANT CancelReference(VARIANT_BOOL* cancel) {
    VARIANT reference;
    ::VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&reference) = cancel;
    return reference;
}

VARIANT Object(IDispatch* frame) {
    VARIANT object;
    ::VariantInit(&object);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = frame;  // borrowed for the call
    return object;
}

// The URL as the sinks receive it: a BSTR variant they may read by reference.
com::Variant UrlValue(const std::wstring& url) {
    com::Variant value;
    V_VT(value.get()) = VT_BSTR;
    V_BSTR(value.get()) = com::Bstr(url).Detach();
    return value;
}

void FireFrameAndUrl(com::ConnectionPoint& events, DISPID id, IDispatch* frame, const std::wstring& url) {
    com::Variant urlValue = UrlValue(url);
    VARIANT arguments[2] = {ByReference(urlValue.get()), Object(frame)};
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    events.FireFromSnapshot(id, &params);
}

}  // namespace

bool FireBeforeNavigate2(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url) {
    com::Variant urlValue = UrlValue(url);
    com::Variant flags;
    V_VT(flags.get()) = VT_I4;
    V_I4(flags.get()) = 0;
    com::Variant targetFrameName = UrlValue(L"");
    com::Variant postData;
    com::Variant headers = UrlValue(L"");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT arguments[7] = {CancelReference(&cancel),
                            ByReference(headers.get()),
                            ByReference(postData.get()),
                            ByReference(targetFrameName.get()),
                            ByReference(flags.get()),
                            ByReference(urlValue.get()),
                            Object(frame)};
    DISPPARAMS params = {arguments, nullptr, 7, 0};
    events.FireFromSnapshot(DISPID_BEFORENAVIGATE2, &params);
    return cancel != VARIANT_FALSE;
}

void FireNavigateComplete2(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url) {
    FireFrameAndUrl(events, DISPID_NAVIGATECOMPLETE2, frame, url);
}

void FireDocumentComplete(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url) {
    FireFrameAndUrl(events, DISPID_DOCUMENTCOMPLETE, frame, url);
}

bool FireNavigateError(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url, HRESULT status) {
    com::Variant urlValue = UrlValue(url);
    com::Variant targetFrameName = UrlValue(L"");
    com::Variant statusCode;
    V_VT(statusCode.get()) = VT_I4;
    V_I4(statusCode.get()) = status;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT arguments[5] = {CancelReference(&cancel), ByReference(statusCode.get()),
                            ByReference(targetFrameName.get()), ByReference(urlValue.get()), Object(frame)};
    DISPPARAMS params = {arguments, nullptr, 5, 0};
    events.FireFromSnapshot(DISPID_NAVIGATEERROR, &params);
    return cancel != VARIANT_FALSE;
}

}  // namespace pelmora::browser
