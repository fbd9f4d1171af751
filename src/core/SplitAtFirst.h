#pragma once
// Splits a text at the first occurrence of one character, to walk separated paths
// one name at a time.
#include <string>
#include <string_view>
#include <utility>

namespace pelmora {

// (head, tail): head is the text before the first separator, tail the text after it;
// without a separator head is the whole text and tail is empty.
std::pair<std::wstring, std::wstring> SplitAtFirst(const std::wstring& text, wchar_t separator);
// The same as views into text, which must outlive them: no copies for a walk that only looks.
std::pair<std::wstring_view, std::wstring_view> SplitAtFirstView(std::wstring_view text, wchar_t separator);

}  // namespace pelmora
