#include "framework/com/DllModule.h"

#include <new>

#include "framework/com/ClassFactory.h"
#include "framework/com/ExceptionBarrier.h"
#include "framework/com/Registrar.h"
#include "framework/win/HResult.h"

namespace pelmora::com {

namespace {
DllModule* g_processModule = nullptr;
}

DllModule* GetProcessModule() noexcept { return g_processModule; }

DllModule* SetProcessModule(DllModule* module) noexcept {
    DllModule* previous = g_processModule;
    g_processModule = module;
    return previous;
}

void LockProcessModule() noexcept {
    if (g_processModule) g_processModule->Lock();
}

void UnlockProcessModule() noexcept {
    if (g_processModule) g_processModule->Unlock();
}

HRESULT GetModulePath(HMODULE module, std::wstring& path) noexcept {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameW(module, buffer, MAX_PATH);
    PELMORA_RETURN_LAST_ERROR_IF(length == 0);
    // A path that fills the buffer may have been cut; registering a cut path would
    // point the class at a file that does not exist.
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return ExceptionBarrier([&] {
        path.assign(buffer, length);
        return S_OK;
    });
}

DllModule::DllModule(const GUID& typeLibraryId, std::initializer_list<ObjectMapEntry> entries)
    : typeLibraryId_(typeLibraryId), entries_(entries) {
    initialized_ = lock_.initialized();
}

DllModule::~DllModule() {
    // The cached class factories die with the module.
    for (ObjectMapEntry& entry : entries_) entry.cachedFactory.reset();
    globalInterfaceTable_.reset();
}

LONG DllModule::Lock() noexcept { return ::InterlockedIncrement(&lockCount_); }

LONG DllModule::Unlock() noexcept { return ::InterlockedDecrement(&lockCount_); }

LONG DllModule::GetLockCount() const noexcept { return lockCount_; }

HRESULT DllModule::GetGITPtr(IGlobalInterfaceTable** table) noexcept {
    if (!table) return E_POINTER;
    *table = nullptr;
    win::CriticalSectionLock guard(lock_);
    if (!globalInterfaceTable_) {
        const HRESULT hr = ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IGlobalInterfaceTable, globalInterfaceTable_.put_void());
        if (FAILED(hr)) return hr;
    }
    return globalInterfaceTable_.CopyTo(table);
}

HRESULT DllModule::AddCommonRGSReplacements(Registrar& registrar) noexcept {
    std::wstring path;
    PELMORA_RETURN_IF_FAILED(GetModulePath(instance_, path));
    return registrar.AddReplacement(L"MODULE", path);
}

HRESULT DllModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!initialized_) return E_UNEXPECTED;
    ObjectMapEntry* found = nullptr;
    for (ObjectMapEntry& entry : entries_) {
        if (entry.clsid && entry.createInstance && IsEqualCLSID(*entry.clsid, clsid)) {
            found = &entry;
            break;
        }
    }
    if (!found) return CLASS_E_CLASSNOTAVAILABLE;

    if (!found->cachedFactory) {
        win::CriticalSectionLock guard(lock_);
        if (!found->cachedFactory) {  // another thread may have made it meanwhile
            auto* factory = new (std::nothrow) ClassFactory(found->createInstance, *this);
            if (!factory) return E_OUTOFMEMORY;
            found->cachedFactory = ComPtr<IClassFactory>(factory);  // the factory's first reference
        }
    }
    const HRESULT hr = found->cachedFactory->QueryInterface(iid, out);
    if (SUCCEEDED(hr) && !*out) return CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

HRESULT DllModule::CanUnloadNow() const noexcept { return GetLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT DllModule::RegisterServer() noexcept { return RunRegistrationScripts(true); }

HRESULT DllModule::UnregisterServer() noexcept { return RunRegistrationScripts(false); }

HRESULT DllModule::RunRegistrationScripts(bool registering) noexcept {
    for (const ObjectMapEntry& entry : entries_) {
        if (entry.registrationResourceId == 0) continue;
        Registrar registrar;
        PELMORA_RETURN_IF_FAILED(AddCommonRGSReplacements(registrar));
        PELMORA_RETURN_IF_FAILED(
            registrar.ResourceScript(instance_, entry.registrationResourceId, L"REGISTRY", registering));
    }
    return S_OK;
}

}  // namespace pelmora::com
