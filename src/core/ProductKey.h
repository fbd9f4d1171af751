#pragma once
// The product's registry key under HKEY_CURRENT_USER, always opened with read and write
// access. It holds "LogErrors", "ScriptLocation" and the script trees' state values.
#include <windows.h>

#include "framework/win/UniqueHandle.h"

namespace pelmora {

inline constexpr wchar_t kProductKeyPath[] = L"SOFTWARE\\Halvenne\\Pelmora";
inline constexpr REGSAM kProductKeyAccess = KEY_READ | KEY_WRITE;

// Opens the existing product key; the Win32 status, key untouched on failure.
[[nodiscard]] LONG OpenProductKey(win::UniqueHKey& key) noexcept;
// Opens the product key, or creates it when it cannot be opened; created (when given)
// tells whether it was made by this call. The status of the creation when both fail.
[[nodiscard]] LONG OpenOrCreateProductKey(win::UniqueHKey& key, bool* created = nullptr) noexcept;

}  // namespace pelmora
