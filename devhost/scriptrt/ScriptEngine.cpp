#include "ScriptEngine.h"

#include <dispex.h>

#include <cwchar>
#include <new>
#include <string>

#include "ExceptionInfo.h"
#include "framework/com/Bstr.h"
#include "framework/ui/MessageBoxes.h"
#include "framework/win/HResult.h"

namespace pelmora::scriptrt {

namespace {

// The platform's JScript engine.
constexpr CLSID kJScriptEngine = {0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};

// The error the engine described in the block it was given or, with a site present,
// through the site; false when it described none.
bool TakeDescribedError(ScriptSite& site, EXCEPINFO& given) noexcept {
    FillInExceptionInfo(given);
    if (HoldsException(given)) return true;
    return site.TakeError(given);
}

}  // namespace

ScriptEngine::~ScriptEngine() { Close(); }

void ScriptEngine::Close() noexcept {
    globals_.reset();
    if (engine_) engine_->Close();
    engine_.reset();
    site_.reset();
}

HRESULT ScriptEngine::Start(const std::vector<ScriptBlock>& scripts) noexcept {
    Close();
    ScriptSite* site = new (std::nothrow) ScriptSite();
    if (!site) return E_OUTOFMEMORY;
    site_ = com::ComPtr<ScriptSite>(site);

    HRESULT hr = ::CoCreateInstance(kJScriptEngine, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                    engine_.put_void());
    com::ComPtr<IActiveScriptParse> parser;
    if (SUCCEEDED(hr)) hr = engine_.As(parser);
    if (SUCCEEDED(hr)) hr = parser->InitNew();
    if (SUCCEEDED(hr)) hr = engine_->SetScriptSite(site_.get());
    // Started before parsing, so each script runs as it is parsed and its errors
    // belong to that parse call.
    if (SUCCEEDED(hr)) hr = engine_->SetScriptState(SCRIPTSTATE_STARTED);
    for (size_t i = 0; SUCCEEDED(hr) && i < scripts.size(); ++i) {
        site_->ClearError();
        EXCEPINFO exception{};
        hr = parser->ParseScriptText(scripts[i].text.c_str(), nullptr, nullptr, nullptr, 0, scripts[i].firstLine,
                                     0, nullptr, &exception);
        if (FAILED(hr)) {
            const ULONG line = site_->ErrorLine();
            if (TakeDescribedError(*site_.get(), exception)) {
                if (FAILED(exception.scode)) hr = exception.scode;
                Report(exception, line);
            }
        }
        ClearExceptionInfo(exception);
    }
    if (SUCCEEDED(hr)) hr = engine_->GetScriptDispatch(nullptr, globals_.put());
    if (SUCCEEDED(hr) && !globals_) hr = E_UNEXPECTED;
    if (FAILED(hr)) Close();
    return hr;
}

HRESULT ScriptEngine::FindGlobal(const std::wstring& name, DISPID& id) const noexcept {
    if (!globals_) return E_UNEXPECTED;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID found = DISPID_UNKNOWN;
    PELMORA_RETURN_IF_FAILED(globals_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found));
    id = found;
    return S_OK;
}

HRESULT ScriptEngine::EnsureGlobal(const std::wstring& name, DISPID& id) const noexcept {
    if (!globals_) return E_UNEXPECTED;
    com::ComPtr<IDispatchEx> globals;
    PELMORA_RETURN_IF_FAILED(globals_.As(globals));
    const com::Bstr bstrName(name);
    if (!bstrName.get()) return E_OUTOFMEMORY;
    DISPID found = DISPID_UNKNOWN;
    PELMORA_RETURN_IF_FAILED(globals->GetDispID(bstrName.get(), fdexNameEnsure | fdexNameCaseSensitive, &found));
    id = found;
    return S_OK;
}

HRESULT ScriptEngine::Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                             UINT* argumentError) const noexcept {
    if (!globals_) return E_UNEXPECTED;
    site_->ClearError();
    EXCEPINFO own{};
    const HRESULT hr =
        globals_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &own, argumentError);
    if (SUCCEEDED(hr)) {
        ClearExceptionInfo(own);
        return hr;
    }
    const ULONG line = site_->ErrorLine();
    if (!TakeDescribedError(*site_.get(), own)) return hr;
    Report(own, line);
    if (exception)
        *exception = own;
    else
        ClearExceptionInfo(own);
    return DISP_E_EXCEPTION;
}

void ScriptEngine::Report(const EXCEPINFO& error, ULONG line) const noexcept {
    if (reportedFile_.empty()) return;
    try {
        const auto text = [](BSTR value) { return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring(); };
        wchar_t code[16] = {};
        swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(error.scode));
        std::wstring message = L"File: " + reportedFile_ + L"\n";
        if (line > 0) message += L"Line: " + std::to_wstring(line) + L"\n";
        message += L"Error: " + text(error.bstrDescription) + L"\nCode: " + code + L"\nSource: " +
                   text(error.bstrSource);
        // Owned by the window the person is working in, as the call came from there.
        (void)ui::ShowMessageBox(::GetActiveWindow(), message, kScriptErrorCaption, MB_OK | MB_ICONERROR);
    } catch (...) {
        // No memory for the text: the call fails all the same, unreported.
    }
}

}  // namespace pelmora::scriptrt
