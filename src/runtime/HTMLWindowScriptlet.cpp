#include "runtime/HTMLWindowScriptlet.h"

#include <mshtmdid.h>

#include "core/Logger.h"
#include "framework/com/ComPtr.h"
#include "runtime/IEBrowserScriptlet.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "HTMLWindowScriptlet";

}  // namespace

CHTMLWindowScriptlet::CHTMLWindowScriptlet(CIEBrowserScriptlet* owner, std::wstring scriptRoot,
                                           std::wstring scriptPath)
    : CScriptlet(WindowEvents(), std::move(scriptRoot), std::move(scriptPath)), owner_(owner) {}

CHTMLWindowScriptlet::~CHTMLWindowScriptlet() = default;

HRESULT CHTMLWindowScriptlet::PreInvoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    // Invoke holds this scriptlet for the rest of the call, so the script's onunload
    // still runs after the registry and the window have let go.
    if (id != DISPID_HTMLWINDOWEVENTS_ONUNLOAD || !ScriptObject()) return 0;
    if (owner_) {
        (void)owner_->RemoveWindowScriptlet(com::ComPtr<CHTMLWindowScriptlet>(this));
    } else if (IsAttached()) {
        // Already out of the registry (another scriptlet of this window unloaded
        // first, or the owner went away): leave the window alone.
        (void)Detach();
    }
    return 0;
}

HRESULT CHTMLWindowScriptlet::Detach() {
    const HRESULT hr = CScriptlet::Detach();
    if (FAILED(hr)) {
        PELMORA_LOG(LOG_ERROR, "Can not detach HTMLWindow scriptlet.", hr, "CHTMLWindowScriptlet::Detach");
    }
    return hr;
}

}  // namespace pelmora
