#pragma once
// DWebBrowserEvents2 calls with the argument layout of the SHDocVw type library:
// rgvarg in reverse order, the frame's object as VT_DISPATCH, the URL and the other
// variants by reference (VT_BYREF | VT_VARIANT), Cancel as VT_BYREF | VT_BOOL. Each
// round goes to the sinks advised when it began, as the browser's does.
#include <oaidl.h>

#include <string>

#include "framework/com/ConnectionPoint.h"

namespace pelmora::browser {

// true when a sink set Cancel.
bool FireBeforeNavigate2(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url);
void FireNavigateComplete2(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url);
void FireDocumentComplete(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url);
// NavigateError(pDisp, URL, Frame, StatusCode as VT_I4, Cancel); true when a sink set
// Cancel.
bool FireNavigateError(com::ConnectionPoint& events, IDispatch* frame, const std::wstring& url, HRESULT status);

}  // namespace pelmora::browser
