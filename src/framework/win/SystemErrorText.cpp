#include "framework/win/SystemErrorText.h"

#include <iterator>

namespace pelmora::win {

std::wstring SystemErrorText(DWORD error) {
    wchar_t text[1024] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                          0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring result(text, length);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' ')) {
        result.pop_back();
    }
    return result;
}

}  // namespace pelmora::win
