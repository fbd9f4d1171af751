#pragma once
// Where the browser finds the help page: the HTML resource 219 of a module, through
// the res: protocol.
#include <windows.h>

#include <string>

namespace pelmora {

// "res://" + the module's full file name + "/219", the path as the system gives it
// (blanks included; the res: protocol takes them as they are). Empty when the file
// name cannot be read: no URL is better than one into some other file.
std::wstring HelpPageUrl(HMODULE module);

}  // namespace pelmora
