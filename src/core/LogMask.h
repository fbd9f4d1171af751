#pragma once
// The level mask of the log: the REG_DWORD "LogErrors" in the product key. Absent or
// unusable, it is written as 0 (logging off) so the user finds it there to switch on.
#include <windows.h>

namespace pelmora {

DWORD ReadLogMask() noexcept;

}  // namespace pelmora
