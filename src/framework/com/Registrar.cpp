#include "framework/com/Registrar.h"

#include "framework/com/ExceptionBarrier.h"
#include "framework/win/Ansi.h"
#include "framework/win/HResult.h"
#include "framework/win/RegKey.h"
#include "framework/win/ResourceBytes.h"

namespace pelmora::com {

namespace {

constexpr REGSAM kKeyAccess = KEY_READ | KEY_WRITE;

// The script names the type and gives the bytes, so the value is written as it comes.
HRESULT SetValue(HKEY key, const RegistryValueSpec& value) {
    PELMORA_RETURN_IF_WIN32_ERROR(::RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0,
                                                   value.type, value.data.data(),
                                                   static_cast<DWORD>(value.data.size())));
    return S_OK;
}

HRESULT RegisterKey(HKEY parent, const RegistryKeySpec& spec) {
    if (spec.mode == RegistryKeyMode::Delete || spec.mode == RegistryKeyMode::ForceRemove) {
        PELMORA_RETURN_IF_WIN32_ERROR(win::DeleteRegTree(parent, spec.name));
        if (spec.mode == RegistryKeyMode::Delete) return S_OK;
    }
    win::UniqueHKey key;
    PELMORA_RETURN_IF_WIN32_ERROR(win::CreateRegKey(parent, spec.name, kKeyAccess, key));
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
    case RegistryKeyMode::ForceRemove:
        return win::HResultFromWin32(win::DeleteRegTree(parent, spec.name));
    case RegistryKeyMode::NoRemove:
    case RegistryKeyMode::Plain:
        break;
    }
    win::UniqueHKey key;
    LONG status = win::OpenRegKey(parent, spec.name, kKeyAccess, key);
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;  // nothing of ours is there
    PELMORA_RETURN_IF_WIN32_ERROR(status);
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
    return ExceptionBarrier([&] {
        replacements_[std::wstring(name)] = std::wstring(value);
        return S_OK;
    });
}

HRESULT Registrar::RunScript(std::wstring_view script, bool registering) noexcept {
    std::vector<RegistryRootSpec> roots;
    PELMORA_RETURN_IF_FAILED(ParseRegistrationScript(script, replacements_, roots));
    return ExceptionBarrier([&] {
        for (const RegistryRootSpec& root : roots) {
            for (const RegistryKeySpec& key : root.keys) {
                PELMORA_RETURN_IF_FAILED(registering ? RegisterKey(root.root, key) : UnregisterKey(root.root, key));
            }
        }
        return S_OK;
    });
}

HRESULT Registrar::ResourceScript(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                                  bool registering) noexcept {
    std::string_view bytes;
    PELMORA_RETURN_IF_FAILED(win::LoadResourceBytes(module, resourceId, resourceType, bytes));
    std::wstring script;
    PELMORA_RETURN_IF_FAILED(ExceptionBarrier([&] {
        script = win::AnsiToWide(bytes);
        return S_OK;
    }));
    return RunScript(script, registering);
}

}  // namespace pelmora::com
