// The DLL entry and the four exported functions of the script component runtime.
// None lets an exception escape.
#include <windows.h>

#include "ScriptNameParser.h"
#include "ScriptRuntimeGuids.h"
#include "ScriptRuntimeResources.h"
#include "framework/com/DllModule.h"

namespace {

using pelmora::scriptrt::kScriptMonikerClassId;

// Registration and the count of live objects; the class object is served below.
class ScriptRuntimeModule final : public pelmora::com::DllModule {
public:
    ScriptRuntimeModule()
        : DllModule(GUID_NULL, {pelmora::com::ObjectMapEntry{&kScriptMonikerClassId,
                                                              IDR_SCRIPT_RUNTIME_REGISTRATION, nullptr, {}}}) {
        pelmora::com::SetProcessModule(this);
    }
    ~ScriptRuntimeModule() override {
        if (pelmora::com::GetProcessModule() == this) pelmora::com::SetProcessModule(nullptr);
    }
};

ScriptRuntimeModule g_module;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        g_module.SetInstance(instance);
        return g_module.IsInitialized() ? TRUE : FALSE;
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() noexcept { return g_module.CanUnloadNow(); }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kScriptMonikerClassId)) return CLASS_E_CLASSNOTAVAILABLE;
    return pelmora::scriptrt::ScriptNameParser::Create(iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() noexcept { return g_module.RegisterServer(); }

extern "C" HRESULT WINAPI DllUnregisterServer() noexcept { return g_module.UnregisterServer(); }
