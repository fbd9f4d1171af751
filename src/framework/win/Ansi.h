#pragma once
// Conversions between UTF-16 and the system's ANSI code page, used only at the
// boundaries: window texts, file paths for the ANSI calls, log records, registry values.
#include <string>
#include <string_view>

namespace pelmora::win {

std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);

}  // namespace pelmora::win
