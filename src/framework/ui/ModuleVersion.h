#pragma once
// The file version in a module's version resource, read from the resource itself, so
// that what a dialog shows is the number the file carries.
#include <windows.h>

#include <string>

namespace pelmora::ui {

// "major.minor.build.revision" of the fixed file information; empty when the module
// has no readable version resource.
std::wstring ModuleFileVersion(HINSTANCE module);

}  // namespace pelmora::ui
