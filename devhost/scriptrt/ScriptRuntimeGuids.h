#pragma once
#include <guiddef.h>

namespace pelmora::scriptrt {

// The class registered for the ProgID "script": its class object parses "script:"
// names, and its monikers report it as their class.
inline constexpr CLSID kScriptMonikerClassId = {
    0xE6958DE9, 0x4334, 0x42D3, {0xA5, 0x6E, 0x5C, 0xFC, 0x57, 0x41, 0x2C, 0xFF}};

}  // namespace pelmora::scriptrt
