#pragma once
// A URL script connected to one HTML window: the script receives the window in its
// property "window" and the window's HTMLWindowEvents. On the window's onunload the
// scriptlet has its browser scriptlet remove and detach it before the script's own
// onunload function runs, so a window that goes away keeps nothing connected.
#include <string>

#include "runtime/Scriptlet.h"

namespace pelmora {

class CIEBrowserScriptlet;

class CHTMLWindowScriptlet final : public CScriptlet {
public:
    // owner may be none: such a scriptlet is not in a browser scriptlet's registry.
    CHTMLWindowScriptlet(CIEBrowserScriptlet* owner, std::wstring scriptRoot, std::wstring scriptPath);

    HRESULT PreInvoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;
    HRESULT Detach() override;

    // The owner is going away; an unload arriving later must not reach it.
    void ForgetOwner() noexcept { owner_ = nullptr; }
    // Whether both were attached to the same window.
    [[nodiscard]] bool SharesWindowWith(const CHTMLWindowScriptlet& other) const noexcept {
        return EventSource() != nullptr && EventSource() == other.EventSource();
    }

private:
    ~CHTMLWindowScriptlet() override;

    CIEBrowserScriptlet* owner_;  // not owned: the owner outlives its registered scriptlets
};

}  // namespace pelmora
