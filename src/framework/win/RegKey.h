#pragma once
// Registry keys as owned handles. A call that fails leaves its out-parameter untouched
// and returns the Win32 error.
#include <windows.h>

#include <string>

#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

[[nodiscard]] LONG OpenRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key);
[[nodiscard]] LONG CreateRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key);
// Deletes the key below parent with everything under it; an absent key is success.
[[nodiscard]] LONG DeleteRegTree(HKEY parent, const std::wstring& path);
[[nodiscard]] bool RegKeyExists(HKEY parent, const std::wstring& path);

}  // namespace pelmora::win
