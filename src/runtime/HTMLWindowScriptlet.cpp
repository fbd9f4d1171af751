#include "runtime/HTMLWindowScriptlet.h"

#include "core/Logger.h"
#include "framework/com/ComPtr.h"
#include "runtime/IEBrowserScriptlet.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "HTMLWindowScriptlet";
constexpr DISPID kDispidOnUnload = 1008;
// DIID_HTMLWindowEvents.
constexpr IID kWindowEvents = {0x96A0A4E0, 0xD062, 0x11CF, {0x94, 0xB6, 0x00, 0xAA, 0x00, 0x60, 0x27, 0x5C}};

}  // namespace

CHTMLWindowScriptlet::CHTMLWindowScriptlet(CIEBrowserScriptlet* owner, std::wstring scriptRoot,
                                           std::wstring scriptPath)
    : CScriptlet(std::move(scriptRoot), std::move(scriptPath)), owner_(owner) {
    typeLibraryId_ = L"{3050F1C5-98B5-11CF-BB82-00AA00BDCE0B}";
    eventInterfaceId_ = L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}";
    propertyName_ = L"window";
    typeLibraryMajorVersion_ = 4;
}

CHTMLWindowScriptlet::~CHTMLWindowScriptlet() = default;

const IID& CHTMLWindowScriptlet::GetEventIID() const { return kWindowEvents; }

HRESULT CHTMLWindowScriptlet::PreInvoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    // The caller's Invoke holds a reference for the rest of the call, so the script's
    // onunload still runs after the registry and the window have let go.
    if (id != kDispidOnUnload || !ScriptObject()) return 0;
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
        GetLogger().Log(LOG_ERROR, "Can not detach HTMLWindow scriptlet.", hr, "CHTMLWindowScriptlet::Detach",
                        kSourceFile, __LINE__);
    }
    return hr;
}

}  // namespace pelmora
