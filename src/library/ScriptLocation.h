#pragma once
// The per-user script location and the fixed folders below it. Nothing is cached:
// every call reads the registry again and creates missing folders again, so a changed
// "ScriptLocation" value takes effect at the next call.
#include <string>

namespace pelmora {

// Folder of the browser main scripts (named after DWebBrowserEvents2).
inline constexpr wchar_t kMainScriptFolderName[] = L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}";
// Folder of the URL scripts (named after HTMLWindowEvents).
inline constexpr wchar_t kUrlScriptFolderName[] = L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}";

// The script location without a trailing backslash; the folder is created if missing.
std::wstring GetScriptLocation();
std::wstring GetMainScriptDirectory();
std::wstring GetUrlScriptDirectory();
// Creates the folder and its missing parents; failures are left to later file work.
void EnsureDirectory(const std::wstring& path);
// A shell special folder; the current directory, or "c:\" when the shell cannot say.
std::wstring GetSpecialFolderPath(int csidl, bool create);

}  // namespace pelmora
