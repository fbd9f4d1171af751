#include "framework/com/Registrar.h"

#include <new>

#include "framework/win/Ansi.h"
#include "framework/win/HResult.h"
#include "framework/win/RegKey.h"
#include "framework/win/ResourceBytes.h"

namespace pelmora::com {

namespace {

constexpr REGSAM kKeyAccess = KEY_READ | KEY_WRITE;

HRESULT SetValue(HKEY key, const RegistryValueSpec& value) {
    const LONG status = ::RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, value.type,
                                         value.data.data(), static_cast<DWORD>(value.data.size()));
    return status == ERROR_SUCCESS ? S_OK : win::HResultFromWin32(status);
}

HRESULT RegisterKey(HKEY parent, const RegistryKeySpec& spec) {
    if (spec.mode == RegistryKeyMode::Delete || spec.mode == RegistryKeyMode::ForceRemove) {
        const LONG status = win::DeleteRegTree(parent, spec.name);
        if (status != ERROR_SUCCESS) return win::HResultFromWin32(status);
        if (spec.mode == RegistryKeyMode::Delete) return S_OK;
    }
    win::UniqueHKey key;
    const LONG status = win::CreateRegKey(parent, spec.name, kKeyAccess, key);
    if (status != ERROR_SUCCESS) return win::HResultFromWin32(status);
    for (const RegistryValueSpec& value : spec.values) PELMORA_RETURN_IF_FAILED(SetValue(key.get(), value));
    for (const RegistryKeySpec& subkey : spec.subkeys) PELMORA_RETURN_IF_FAILED(RegisterKey(key.get(), subkey));
    return S_OK;
}

bool HoldsSubkeysOrNamedValues(HKEY key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS) {
        return true;  // unknown: keep the key
    }
    if (subkeys > 0) return true;
    if (values == 0) return false;
    // The default value is the script's own; any named value is someone else's.
    return values > 1 || ::RegQueryValueExW(key, L"", nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
}

HRESULT UnregisterKey(HKEY parent, const RegistryKeySpec& spec) {
    switch (spec.mode) {
    case RegistryKeyMode::Delete:
        return S_OK;
    case RegistryKeyMode::ForceRemove: {
        const LONG status = win::DeleteRegTree(parent, spec.name);
        return status == ERROR_SUCCESS ? S_OK : win::HResultFromWin32(status);
    }
    case RegistryKeyMode::NoRemove:
    case RegistryKeyMode::Plain:
        break;
    }
    win::UniqueHKey key;
    LONG status = win::OpenRegKey(parent, spec.name, kKeyAccess, key);
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;  // nothing of ours is there
    if (status != ERROR_SUCCESS) return win::HResultFromWin32(status);
    for (const RegistryValueSpec& value : spec.values) {
        if (value.name.empty()) continue;
        status = ::RegDeleteValueW(key.get(), value.name.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return win::HResultFromWin32(status);
    }
    for (const RegistryKeySpec& subkey : spec.subkeys) PELMORA_RETURN_IF_FAILED(UnregisterKey(key.get(), subkey));
    if (spec.mode == RegistryKeyMode::NoRemove || HoldsSubkeysOrNamedValues(key.get())) return S_OK;
    key.reset();
    status = ::RegDeleteKeyW(parent, spec.name.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : win::HResultFromWin32(status);
}

}  // namespace

HRESULT Registrar::AddReplacement(std::wstring_view name, std::wstring_view value) noexcept {
    if (name.empty()) return E_INVALIDARG;
    try {
        replacements_[std::wstring(name)] = std::wstring(value);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT Registrar::RunScript(std::wstring_view script, bool registering) noexcept {
    std::vector<RegistryRootSpec> roots;
    PELMORA_RETURN_IF_FAILED(ParseRegistrationScript(script, replacements_, roots));
    try {
        for (const RegistryRootSpec& root : roots) {
            for (const RegistryKeySpec& key : root.keys) {
                PELMORA_RETURN_IF_FAILED(registering ? RegisterKey(root.root, key) : UnregisterKey(root.root, key));
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT Registrar::ResourceScript(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                                  bool registering) noexcept {
    std::string_view bytes;
    PELMORA_RETURN_IF_FAILED(win::LoadResourceBytes(module, resourceId, resourceType, bytes));
    std::wstring script;
    try {
        script = win::AnsiToWide(bytes);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return RunScript(script, registering);
}

}  // namespace pelmora::com
