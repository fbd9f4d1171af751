#include "bandhost/ListBoxWatch.h"

#include <commctrl.h>

namespace pelmora::bandhost {

namespace {
constexpr UINT_PTR kSubclassId = 0x6C62;  // one watch per list box
}

bool ListBoxWatch::Watch(HWND listBox) {
    if (listBox == listBox_ && listBox_) return true;
    Stop();
    if (!listBox || !::SetWindowSubclass(listBox, &ListBoxWatch::Procedure, kSubclassId,
                                         reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    listBox_ = listBox;
    return true;
}

void ListBoxWatch::Stop() {
    if (!listBox_) return;
    ::RemoveWindowSubclass(listBox_, &ListBoxWatch::Procedure, kSubclassId);
    listBox_ = nullptr;
}

LRESULT CALLBACK ListBoxWatch::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) noexcept {
    try {
        return reinterpret_cast<ListBoxWatch*>(self)->Handle(window, message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT ListBoxWatch::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        const LRESULT index = ::DefSubclassProc(window, message, wParam, lParam);
        if (index >= 0) Tell(true, ListBoxEntry(window, static_cast<int>(index)));
        return index;
    }
    case LB_DELETESTRING: {
        const std::wstring text = ListBoxEntry(window, static_cast<int>(wParam));
        // Wine's list box deletes its last entry by sending itself LB_RESETCONTENT,
        // which must not report that entry a second time.
        deleting_ = true;
        const LRESULT left = ::DefSubclassProc(window, message, wParam, lParam);
        deleting_ = false;
        if (left != LB_ERR) Tell(false, text);
        return left;
    }
    case LB_RESETCONTENT: {
        if (deleting_) return ::DefSubclassProc(window, message, wParam, lParam);
        const std::vector<std::wstring> texts = ListBoxEntries(window);
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        for (const std::wstring& text : texts) Tell(false, text);
        return result;
    }
    case WM_NCDESTROY:
        Stop();
        return ::DefSubclassProc(window, message, wParam, lParam);
    default:
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

void ListBoxWatch::Tell(bool added, const std::wstring& text) noexcept {
    try {
        if (listener_) listener_(added, text);
    } catch (...) {
        // The list box's message goes on whatever the listener did.
    }
}

std::wstring ListBoxEntry(HWND listBox, int index) {
    const LRESULT length = ::SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR || copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ListBoxEntries(HWND listBox) {
    std::vector<std::wstring> entries;
    const LRESULT count = listBox ? ::SendMessageW(listBox, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) entries.push_back(ListBoxEntry(listBox, static_cast<int>(i)));
    return entries;
}

}  // namespace pelmora::bandhost
