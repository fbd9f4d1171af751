#pragma once
// What a helper thread does to answer a modal dialog of the UI thread as a user would:
// type with posted characters, press buttons, answer the message boxes it opens and
// read its controls back. Every wait gives up after five seconds.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/ComboBoxEx.h"
#include "framework/ui/ListView.h"
#include "framework/ui/ModalDialogDriver.h"

namespace pelmora::test {

inline bool WaitUntil(const std::function<bool()>& done) {
    for (int waited = 0; waited < 5000 && !done(); waited += 10) ::Sleep(10);
    return done();
}

// Selects the edit box's text and types text over it.
inline bool TypeInto(HWND edit, const std::wstring& text) {
    ::PostMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t c : text) ::PostMessageW(edit, WM_CHAR, c, 1);
    return WaitUntil([&] { return ui::Control(edit).GetText() == text; });
}

inline void Press(HWND dialog, int buttonId) { ::PostMessageW(::GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

// The shown box of the UI thread with that caption and owner; none when none came.
inline HWND WaitForBox(HWND owner, const std::wstring& caption) {
    HWND box = nullptr;
    const DWORD thread = ::GetWindowThreadProcessId(owner, nullptr);
    WaitUntil([&] {
        if (!::IsWindow(owner)) return true;  // gone: nothing more comes
        box = bandhost::FindDialog(thread, caption);
        return box && ::IsWindowVisible(box) && ::GetWindow(box, GW_OWNER) == owner;
    });
    return box && ::GetWindow(box, GW_OWNER) == owner ? box : nullptr;
}

// Reads the box's message (its static texts), presses the button and waits until the
// box has gone; "(no box)" when there was none.
inline std::wstring AnswerBox(HWND box, int buttonId) {
    if (!box) return L"(no box)";
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (::lstrcmpiW(className, L"Static") == 0) text += ui::Control(child).GetText();
    }
    Press(box, buttonId);
    WaitUntil([&] { return !::IsWindow(box); });
    return text;
}

// Texts with image indexes (list view) or indents (extended combo box).
using Entries = std::vector<std::pair<std::wstring, int>>;

inline Entries ListEntries(HWND list) {
    const ui::ListView view(list);
    Entries entries;
    for (int i = 0; i < view.GetItemCount(); ++i) entries.emplace_back(view.GetItemText(i), view.GetItemImage(i));
    return entries;
}

inline Entries ComboEntries(HWND box) {
    const ui::ComboBoxEx combo(box);
    Entries entries;
    for (int i = 0; i < combo.GetCount(); ++i) entries.emplace_back(combo.GetItemText(i), combo.GetItemIndent(i));
    return entries;
}

inline int FindListEntry(HWND list, const std::wstring& text) {
    const Entries entries = ListEntries(list);
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].first == text) return static_cast<int>(i);
    return -1;
}

// Posts the mouse messages of a click, or of a double-click, on the item's label.
inline void ClickListItem(HWND list, const std::wstring& text, bool twice) {
    RECT rect{LVIR_LABEL, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(FindListEntry(list, text)), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (int press = 0; press < (twice ? 2 : 1); ++press) {
        ::PostMessageW(list, press ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    }
}

// Types text into the label edit under way (started by editing item, unless empty) and
// presses Enter; false when no edit came.
inline bool EditLabel(HWND list, const std::wstring& item, const std::wstring& text) {
    if (!item.empty()) ::SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(FindListEntry(list, item)), 0);
    HWND edit = nullptr;
    if (!WaitUntil([&] { return (edit = ui::ListView(list).GetEditControl()) != nullptr; })) return false;
    TypeInto(edit, text);
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    return true;
}

}  // namespace pelmora::test
