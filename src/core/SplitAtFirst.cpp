#include "core/SplitAtFirst.h"

namespace pelmora {

std::pair<std::wstring, std::wstring> SplitAtFirst(const std::wstring& text, wchar_t separator) {
    const size_t at = text.find(separator);
    if (at == std::wstring::npos) return {text, std::wstring()};
    return {text.substr(0, at), text.substr(at + 1)};
}

}  // namespace pelmora
