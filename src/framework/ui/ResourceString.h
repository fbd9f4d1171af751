#pragma once
// A string-table entry of a module.
#include <windows.h>

#include <string>

namespace pelmora::ui {

// Empty when the module has no such entry.
std::wstring LoadResourceString(HINSTANCE module, UINT id);

}  // namespace pelmora::ui
