#include "bandhost/WindowQueries.h"

namespace pelmora::bandhost {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

BOOL CALLBACK CollectOpenDialog(HWND window, LPARAM parameter) {
    if (::IsWindowVisible(window) && ClassOf(window) == kDialogClass)
        reinterpret_cast<std::set<HWND>*>(parameter)->insert(window);
    return TRUE;
}

struct CaptionSearch {
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchDialogCaption(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<CaptionSearch*>(parameter);
    if (ClassOf(window) != kDialogClass || WindowText(window) != *search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM parameter) {
    if (::lstrcmpiW(ClassOf(window).c_str(), L"Static") != 0 || !::IsWindowVisible(window)) return TRUE;
    const std::wstring text = WindowText(window);
    if (text.empty()) return TRUE;
    auto* texts = reinterpret_cast<std::wstring*>(parameter);
    if (!texts->empty()) *texts += L" | ";
    *texts += text;
    return TRUE;
}

}  // namespace

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::set<HWND> OpenDialogs(DWORD thread) {
    std::set<HWND> open;
    ::EnumThreadWindows(thread ? thread : ::GetCurrentThreadId(), &CollectOpenDialog, reinterpret_cast<LPARAM>(&open));
    return open;
}

HWND FindDialog(DWORD thread, const std::wstring& caption) {
    CaptionSearch search{&caption, nullptr};
    ::EnumThreadWindows(thread, &MatchDialogCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DialogTexts(HWND dialog) {
    std::wstring texts;
    ::EnumChildWindows(dialog, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void CancelUnlessGone(HWND dialog, int timeoutMs, bool hiddenIsGone) {
    const auto open = [&] { return ::IsWindow(dialog) && (!hiddenIsGone || ::IsWindowVisible(dialog)); };
    for (int waited = 0; open() && waited < timeoutMs; waited += 20) ::Sleep(20);
    if (open()) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace pelmora::bandhost
