#pragma once
// One JScript engine running the scripts of one component. The engine is closed when
// this object is destroyed.
#include <activscp.h>

#include <string>
#include <vector>

#include "ScriptComponentDefinition.h"
#include "ScriptSite.h"
#include "framework/com/ComPtr.h"

namespace pelmora::scriptrt {

// The caption of the box that shows a script error to the person.
inline constexpr wchar_t kScriptErrorCaption[] = L"Script component error";

class ScriptEngine {
public:
    ScriptEngine() noexcept = default;
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Creates the engine and runs the scripts' top-level code in order. A script that
    // does not compile or throws fails with the error's own code; the engine is then
    // closed again.
    [[nodiscard]] HRESULT Start(const std::vector<ScriptBlock>& scripts) noexcept;

    // From now on each script error is also shown to the person in a message box
    // naming file, as a component with error="true" asks.
    void ReportErrorsFor(std::wstring file) noexcept { reportedFile_ = std::move(file); }

    // The DISPID of a global name of the scripts (case-sensitive); DISP_E_UNKNOWNNAME
    // when the scripts define no such name.
    [[nodiscard]] HRESULT FindGlobal(const std::wstring& name, DISPID& id) const noexcept;
    // As FindGlobal, but creates the global variable when it does not exist yet.
    [[nodiscard]] HRESULT EnsureGlobal(const std::wstring& name, DISPID& id) const noexcept;

    // Invokes a global. A script error fails with DISP_E_EXCEPTION and is described
    // in exception when that is given.
    [[nodiscard]] HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception,
                                 UINT* argumentError) const noexcept;

private:
    void Close() noexcept;
    void Report(const EXCEPINFO& error, ULONG line) const noexcept;

    com::ComPtr<ScriptSite> site_;
    com::ComPtr<IActiveScript> engine_;
    com::ComPtr<IDispatch> globals_;
    std::wstring reportedFile_;
};

}  // namespace pelmora::scriptrt
