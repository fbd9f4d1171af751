#include "ScriptSite.h"

#include <utility>

#include "ExceptionInfo.h"

namespace pelmora::scriptrt {

ScriptSite::~ScriptSite() { ClearExceptionInfo(error_); }

STDMETHODIMP ScriptSite::GetLCID(LCID* lcid) {
    // The engine then uses the system default.
    return E_NOTIMPL;
}

STDMETHODIMP ScriptSite::GetItemInfo(LPCOLESTR, DWORD, IUnknown** item, ITypeInfo** typeInfo) {
    if (item) *item = nullptr;
    if (typeInfo) *typeInfo = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP ScriptSite::GetDocVersionString(BSTR* version) {
    if (version) *version = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ScriptSite::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) { return S_OK; }

STDMETHODIMP ScriptSite::OnStateChange(SCRIPTSTATE) { return S_OK; }

STDMETHODIMP ScriptSite::OnScriptError(IActiveScriptError* error) {
    if (!error) return E_POINTER;
    EXCEPINFO reported{};
    const HRESULT hr = error->GetExceptionInfo(&reported);
    if (FAILED(hr)) return hr;
    FillInExceptionInfo(reported);
    ClearExceptionInfo(error_);
    error_ = reported;
    DWORD context = 0;
    ULONG line = 0;
    LONG character = 0;
    // The engine counts from the line each script block was parsed at, from zero.
    errorLine_ = SUCCEEDED(error->GetSourcePosition(&context, &line, &character)) ? line + 1 : 0;
    hasError_ = true;
    // S_OK: the error is handled here, the failing call returns a failure.
    return S_OK;
}

STDMETHODIMP ScriptSite::OnEnterScript() { return S_OK; }

STDMETHODIMP ScriptSite::OnLeaveScript() { return S_OK; }

void ScriptSite::ClearError() noexcept {
    ClearExceptionInfo(error_);
    errorLine_ = 0;
    hasError_ = false;
}

bool ScriptSite::TakeError(EXCEPINFO& exception) noexcept {
    if (!hasError_) return false;
    exception = std::exchange(error_, EXCEPINFO{});
    hasError_ = false;
    return true;
}

}  // namespace pelmora::scriptrt
