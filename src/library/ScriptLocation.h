#pragma once
// The per-user script location and the fixed folders below it. Nothing is cached:
// every call reads the registry again and creates missing folders again, so a changed
// "ScriptLocation" value takes effect at the next call.
#include <string>

namespace pelmora {

// Folder of the browser main scripts: the braced id of DWebBrowserEvents2.
extern const wchar_t* const kMainScriptFolderName;
// Folder of the URL scripts: the braced id of HTMLWindowEvents.
extern const wchar_t* const kUrlScriptFolderName;

// The script location without a trailing backslash; the folder is created if missing.
std::wstring GetScriptLocation();
std::wstring GetMainScriptDirectory();
std::wstring GetUrlScriptDirectory();
// Creates the folder and its missing parents; failures are left to later file work.
void EnsureDirectory(const std::wstring& path);
// A shell special folder; the current directory, or "c:\" when the shell cannot say.
std::wstring GetSpecialFolderPath(int csidl, bool create);

}  // namespace pelmora
