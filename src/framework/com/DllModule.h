#pragma once
// The COM side of an in-process server: the module lock count, the object map with
// cached class factories, and registration through each entry's registration script.
#include <objbase.h>
#include <objidl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/com/ObjectMap.h"
#include "framework/win/CriticalSection.h"

namespace pelmora::com {

class Registrar;

class DllModule {
public:
    DllModule(const GUID& typeLibraryId, std::initializer_list<ObjectMapEntry> entries);
    virtual ~DllModule();
    DllModule(const DllModule&) = delete;
    DllModule& operator=(const DllModule&) = delete;

    virtual LONG Lock() noexcept;
    virtual LONG Unlock() noexcept;
    virtual LONG GetLockCount() const noexcept;
    // The process's global interface table, created on first use.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** table) noexcept;
    // Adds the replacements every registration script may use (MODULE).
    virtual HRESULT AddCommonRGSReplacements(Registrar& registrar) noexcept;

    [[nodiscard]] bool IsInitialized() const noexcept { return initialized_; }
    [[nodiscard]] const GUID& TypeLibraryId() const noexcept { return typeLibraryId_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept;
    HRESULT CanUnloadNow() const noexcept;
    HRESULT RegisterServer() noexcept;
    HRESULT UnregisterServer() noexcept;

    // The module whose resources and file name registration uses.
    void SetInstance(HINSTANCE instance) noexcept { instance_ = instance; }
    [[nodiscard]] HINSTANCE Instance() const noexcept { return instance_; }

private:
    HRESULT RunRegistrationScripts(bool registering) noexcept;

    GUID typeLibraryId_;
    std::vector<ObjectMapEntry> entries_;
    win::CriticalSection lock_;
    LONG lockCount_ = 0;
    bool initialized_ = false;
    HINSTANCE instance_ = nullptr;
    ComPtr<IGlobalInterfaceTable> globalInterfaceTable_;
};

// The module that the process's COM objects count themselves against.
DllModule* GetProcessModule() noexcept;
// Makes module the process module and returns the previous one.
DllModule* SetProcessModule(DllModule* module) noexcept;
void LockProcessModule() noexcept;
void UnlockProcessModule() noexcept;

// The full path of a module; fails with ERROR_INSUFFICIENT_BUFFER as an HRESULT when
// the path does not fit in MAX_PATH characters.
HRESULT GetModulePath(HMODULE module, std::wstring& path) noexcept;

}  // namespace pelmora::com
