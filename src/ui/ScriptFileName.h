#pragma once
// The rules the Save Script As dialog applies to the names of script files and folders.
#include <string>
#include <string_view>

namespace pelmora {

inline constexpr wchar_t kScriptExtension[] = L".WSC";

// Whether name ends in ".WSC" in any letter case.
[[nodiscard]] bool EndsWithScriptExtension(std::wstring_view name) noexcept;
// name, with ".WSC" appended unless it ends in it already ("news.txt" -> "news.txt.WSC").
[[nodiscard]] std::wstring WithScriptExtension(const std::wstring& name);
// A file the dialog lists as a script: more than the extension alone.
[[nodiscard]] bool IsListedScriptFile(std::wstring_view name) noexcept;
// Whether a name the user typed (stored as stored, after any extension was added) names
// an entry of the shown folder itself: not "." or "..", nothing that reaches another
// folder or drive, no character Windows refuses, no device name.
[[nodiscard]] bool IsNameInsideFolder(std::wstring_view typed, std::wstring_view stored) noexcept;

}  // namespace pelmora
