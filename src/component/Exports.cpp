// The DLL entry and the four exported functions. Nothing here may let an exception
// escape: each export is noexcept and the module's work reports HRESULTs.
#include <windows.h>

#include "component/Module.h"
#include "component/PelmoraApp.h"

using pelmora::GetPelmoraApp;
using pelmora::GetPelmoraModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ::DisableThreadLibraryCalls(instance);
        return GetPelmoraApp().InitInstance() ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        // A non-null reserved means the process is ending, not FreeLibrary: other
        // DLLs may be unloaded already, so nothing may be called into them.
        if (reserved) {
            GetPelmoraApp().AbandonAtProcessExit();
        } else {
            GetPelmoraApp().ExitInstance();
        }
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() noexcept { return GetPelmoraModule().CanUnloadNow(); }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) noexcept {
    return GetPelmoraModule().GetClassObject(clsid, iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() noexcept { return GetPelmoraModule().RegisterServer(); }

extern "C" HRESULT WINAPI DllUnregisterServer() noexcept { return GetPelmoraModule().UnregisterServer(); }
