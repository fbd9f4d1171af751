#pragma once
// Whether the parts of a location can name a URL script file. Host and path come from
// a web site; a name made of them must stay inside the URL-script folder and be a
// valid Windows file name.
#include <string>
#include <string_view>

namespace pelmora {

// One folder or file name: not empty, not "." or "..", free of the characters Windows
// forbids in file names (< > : " / \ | ? * and control characters), not ending in "."
// or a blank (the file system would drop them and open another name), and not a
// reserved device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0 to COM9, LPT0 to
// LPT9 and their forms with a superscript 1 to 3; also with an extension, as in
// "con.txt", and in any letter case).
bool IsUsableUrlNameComponent(std::wstring_view component) noexcept;

// A host name with a "/"-separated path name below it: every path segment between
// the leading and the trailing "/" must be a usable component, so an empty segment
// ("//") is unusable too. An empty path and the path "/" name no folder and are usable.
bool IsUsableUrlScriptPath(std::wstring_view hostName, std::wstring_view pathName) noexcept;

// The key of a URL script below the URL-script folder (leading backslash), from its
// name: "/" separates folders as "\" does, and a page name ending in "/.WSC" (the
// page /news/ of host h) names the folder's own script, \h\news.WSC, which is the
// file the Add URL dialog makes for such a page.
std::wstring UrlScriptKey(std::wstring_view name);

}  // namespace pelmora
