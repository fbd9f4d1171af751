#pragma once
// The data the figures run on: script files on disk, saved marks in the product key.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::bench {

inline constexpr uint32_t kCheckedState = 4u << 12;
inline constexpr uint32_t kUncheckedState = 3u << 12;
inline constexpr uint32_t kFolderMarkedState = 2u << 12;

// Says what failed on the standard error; answers false.
bool Fail(const std::string& what);

// A generated browser main script whose DocumentComplete runs body.
bool WriteMainScript(const std::wstring& path, const std::string& body);
bool WriteFileText(const std::wstring& path, const std::string& text);

// count files named prefix + number + ".WSC", perFolder to a folder below directory
// (folders "f00", "f01", ...), each holding content; answers the item keys
// ("\f00\s0000.WSC") in the order written.
std::vector<std::wstring> WriteScriptFolders(const std::wstring& directory, int count, int perFolder,
                                             const std::string& prefix, const std::string& content);

// Saves marks as a tree model would: every second key checked, the others unchecked,
// and each folder of a checked key folder-marked.
bool SaveMarks(const std::wstring& valueName, const std::vector<std::wstring>& keys, size_t checkedEvery);

// The raw bytes of a product key value, and writing them back.
std::string ReadStateValue(const std::wstring& valueName);
bool WriteStateValue(const std::wstring& valueName, const std::string& bytes);
bool SetScriptLocation(const std::wstring& location);

}  // namespace pelmora::bench
