#pragma once
// The product's registry key under HKEY_CURRENT_USER and the access it is opened with.
#include <windows.h>

namespace pelmora {

inline constexpr wchar_t kProductKeyPath[] = L"SOFTWARE\\Halvenne\\Pelmora";
inline constexpr REGSAM kProductKeyAccess = KEY_READ | KEY_WRITE;

}  // namespace pelmora
