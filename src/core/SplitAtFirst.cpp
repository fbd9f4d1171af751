#include "core/SplitAtFirst.h"

namespace pelmora {

std::pair<std::wstring, std::wstring> SplitAtFirst(const std::wstring& text, wchar_t separator) {
    const size_t at = text.find(separator);
    if (at == std::wstring::npos) return {text, std::wstring()};
    return {text.substr(0, at), text.substr(at + 1)};
}

std::pair<std::wstring_view, std::wstring_view> SplitAtFirstView(std::wstring_view text, wchar_t separator) {
    const size_t at = text.find(separator);
    if (at == std::wstring_view::npos) return {text, std::wstring_view()};
    return {text.substr(0, at), text.substr(at + 1)};
}

}  // namespace pelmora
