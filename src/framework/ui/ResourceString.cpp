#include "framework/ui/ResourceString.h"

namespace pelmora::ui {

std::wstring LoadResourceString(HINSTANCE module, UINT id) {
    // With no buffer, LoadStringW hands out the entry in the mapped resource itself.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace pelmora::ui
