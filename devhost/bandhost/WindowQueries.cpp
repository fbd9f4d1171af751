#include "bandhost/WindowQueries.h"

namespace pelmora::bandhost {

namespace {

BOOL CALLBACK CollectOpenDialog(HWND window, LPARAM parameter) {
    if (::IsWindowVisible(window) && ClassOf(window) == L"#32770")
        reinterpret_cast<std::set<HWND>*>(parameter)->insert(window);
    return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::set<HWND> OpenDialogs() {
    std::set<HWND> open;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectOpenDialog, reinterpret_cast<LPARAM>(&open));
    return open;
}

}  // namespace pelmora::bandhost
