#pragma once
// Registry keys as owned handles, and typed values of an open key.
//
// Every call returns its Win32 status. A call that fails leaves its out-parameter
// untouched: a caller may set a default first and read over it.
#include <windows.h>

#include <string>
#include <memory_resource>
#include <vector>

#include "framework/win/UniqueHandle.h"

namespace pelmora::win {

[[nodiscard]] LONG OpenRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key);
[[nodiscard]] LONG CreateRegKey(HKEY parent, const std::wstring& path, REGSAM access, UniqueHKey& key);
// Deletes the key below parent with everything under it; an absent key is success.
[[nodiscard]] LONG DeleteRegTree(HKEY parent, const std::wstring& path);
[[nodiscard]] bool RegKeyExists(HKEY parent, const std::wstring& path);

// Values go through the wide functions, so text the ANSI code page cannot hold is read
// and written whole; a string stored through the ANSI functions reads the same.
//
// Reads fail with ERROR_FILE_NOT_FOUND for an absent value, ERROR_UNSUPPORTED_TYPE for
// one of another type, and ERROR_NOT_ENOUGH_MEMORY when its data cannot be held.

// A REG_DWORD of exactly four bytes; any other size is ERROR_INVALID_DATA.
[[nodiscard]] LONG ReadRegDword(HKEY key, const wchar_t* name, DWORD& value) noexcept;
// A REG_SZ or REG_EXPAND_SZ as stored (variables are not expanded), up to its first
// zero; a string stored without its terminating zero is read whole.
[[nodiscard]] LONG ReadRegString(HKEY key, const wchar_t* name, std::wstring& value) noexcept;
// A REG_BINARY's bytes.
[[nodiscard]] LONG ReadRegBinary(HKEY key, const wchar_t* name, std::vector<BYTE>& value) noexcept;
// The same into memory of the caller's choosing.
[[nodiscard]] LONG ReadRegBinary(HKEY key, const wchar_t* name, std::pmr::vector<BYTE>& value) noexcept;

[[nodiscard]] LONG WriteRegDword(HKEY key, const wchar_t* name, DWORD value) noexcept;
// A REG_SZ with its terminating zero.
[[nodiscard]] LONG WriteRegString(HKEY key, const wchar_t* name, const std::wstring& value) noexcept;
[[nodiscard]] LONG WriteRegBinary(HKEY key, const wchar_t* name, const BYTE* data, size_t size) noexcept;

}  // namespace pelmora::win
