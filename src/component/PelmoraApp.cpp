#include "component/PelmoraApp.h"

#include <windows.h>
#include <commctrl.h>

#include "core/LogMask.h"
#include "core/Logger.h"
#include "framework/win/ProcAddress.h"
#include "framework/win/UniqueHandle.h"
#include "library/ScriptLocation.h"
#include "resources/resource.h"
#include "runtime/EventInterfaces.h"
#include "ui/PropBag.h"
#include "ui/SharedPropertyBag.h"

namespace pelmora {

namespace {

// Initialises the common controls inside the activation context of our own manifest,
// so that the bar's and the dialogs' controls are the version-6 ones whatever the host
// process asked for. The library is loaded while the context is active, which is what
// selects version 6; the handle is kept until the application exits.
win::UniqueModule InitCommonControlsFromManifest(HINSTANCE instance) noexcept {
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = instance;
    context.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
    win::UniqueActCtx activation(::CreateActCtxW(&context));
    ULONG_PTR cookie = 0;
    const bool activated = activation && ::ActivateActCtx(activation.get(), &cookie);
    win::UniqueModule controls(::LoadLibraryW(L"comctl32.dll"));
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = win::GetProcAddressAs<InitFn>(controls.get(), "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof(classes);
        classes.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES;
        init(&classes);
    }
    if (activated) ::DeactivateActCtx(0, cookie);
    return controls;
}

}  // namespace

CPelmoraApp::~CPelmoraApp() = default;

bool CPelmoraApp::InitInstance() noexcept {
    ReleaseAllCurrentBars();
    ReleaseSharedPropertyBag();
    commonControls_ = InitCommonControlsFromManifest(Instance());
    return ApplicationBase::InitInstance();
}

int CPelmoraApp::ExitInstance() noexcept {
    // The static objects go after this, the logger first: whatever a bar or a type
    // library does when it is let go must find the logger still there.
    ReleaseAllCurrentBars();
    ReleaseCachedEventTypeInfo();
    ReleaseSharedPropertyBag();
    commonControls_.reset();
    return ApplicationBase::ExitInstance();
}

void CPelmoraApp::AbandonAtProcessExit() noexcept {
    AbandonAllCurrentBars();
    AbandonCachedEventTypeInfo();
    AbandonSharedPropertyBag();
    (void)commonControls_.release();
}

DWORD CPelmoraApp::GetLogMask() noexcept { return ReadLogMask(); }

std::wstring CPelmoraApp::GetScriptLocation() { return pelmora::GetScriptLocation(); }

std::wstring CPelmoraApp::GetMainScriptDirectory() { return pelmora::GetMainScriptDirectory(); }

std::wstring CPelmoraApp::GetUrlScriptDirectory() { return pelmora::GetUrlScriptDirectory(); }

void CPelmoraApp::EnsureDirectory(const std::wstring& path) { pelmora::EnsureDirectory(path); }

std::wstring CPelmoraApp::GetSpecialFolderPath(int csidl, bool create) {
    return pelmora::GetSpecialFolderPath(csidl, create);
}

std::wstring CPelmoraApp::GetLogPath() noexcept {
    try {
        return GetScriptLocation() + L"\\" + kLogFileName;
    } catch (...) {
        return {};  // no path: every record is lost, the DLL still loads
    }
}

void CPelmoraApp::SetCurrentBar(IBarNotifications* bar) noexcept { SetCurrentBarSlot(bar); }

void CPelmoraApp::ClearCurrentBar(IBarNotifications* bar) noexcept { ClearCurrentBarSlotOf(bar); }

com::ComPtr<IBarNotifications> CPelmoraApp::GetCurrentBar() const noexcept { return GetCurrentBarSlot(); }

com::ComPtr<CPropBag> CPelmoraApp::GetSharedPropertyBag() noexcept { return GetSharedPropertyBagSlot(); }

}  // namespace pelmora
