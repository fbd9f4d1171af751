#pragma once
// "script:<path>" display names. The prefix and the path compare without regard to
// case, as Windows file names do.
#include <windows.h>

#include <string>

namespace pelmora::scriptrt {

inline constexpr wchar_t kScriptNamePrefix[] = L"script:";

// The path after the prefix; false when the name lacks the prefix or a path.
[[nodiscard]] bool PathOfScriptDisplayName(const wchar_t* displayName, std::wstring& path);
[[nodiscard]] bool SameScriptDisplayName(const wchar_t* displayName, const std::wstring& path);
[[nodiscard]] DWORD HashScriptPath(const std::wstring& path);
// The display name of a path, allocated with CoTaskMemAlloc for the caller.
[[nodiscard]] HRESULT MakeScriptDisplayName(const std::wstring& path, LPOLESTR& displayName) noexcept;

}  // namespace pelmora::scriptrt
