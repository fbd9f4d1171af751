#pragma once
// The system's own description of a Win32 error code.
#include <windows.h>

#include <string>

namespace pelmora::win {

// Without trailing line ends; empty when the system has no text for the code.
std::wstring SystemErrorText(DWORD error);

}  // namespace pelmora::win
