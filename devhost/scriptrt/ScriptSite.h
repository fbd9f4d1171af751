#pragma once
// The host side of one script engine. It serves no named items (the components'
// scripts use none) and keeps the last script error the engine reports, so that the
// call that caused it can hand the error to its caller.
#include <activscp.h>

#include "framework/com/ComBase.h"

namespace pelmora::scriptrt {

class ScriptSite final : public com::ComBase<IActiveScriptSite> {
public:
    ScriptSite() noexcept = default;
    ScriptSite(const ScriptSite&) = delete;
    ScriptSite& operator=(const ScriptSite&) = delete;

    STDMETHODIMP GetLCID(LCID* lcid) override;
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD returnMask, IUnknown** item, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetDocVersionString(BSTR* version) override;
    STDMETHODIMP OnScriptTerminate(const VARIANT* result, const EXCEPINFO* exception) override;
    STDMETHODIMP OnStateChange(SCRIPTSTATE state) override;
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override;
    STDMETHODIMP OnLeaveScript() override;

    // Forgets any error reported so far.
    void ClearError() noexcept;
    // Moves the last reported error into exception, whose old content is overwritten
    // unfreed (it is an out parameter); false, and exception untouched, when none was
    // reported since ClearError.
    bool TakeError(EXCEPINFO& exception) noexcept;
    // The file line (one-based) of the last reported error; 0 when unknown.
    [[nodiscard]] ULONG ErrorLine() const noexcept { return errorLine_; }

private:
    ~ScriptSite() override;

    EXCEPINFO error_{};
    ULONG errorLine_ = 0;
    bool hasError_ = false;
};

}  // namespace pelmora::scriptrt
