#pragma once
// What a helper thread does to answer a modal dialog of the UI thread as a user would:
// wait for it, type into its controls with posted characters, press its buttons,
// answer the message boxes it opens, and read its lists back. Every wait ends after
// a few seconds, so a test that goes wrong fails instead of hanging.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ui/ComboBoxEx.h"
#include "framework/ui/Control.h"
#include "framework/ui/ListView.h"
#include "framework/ui/ModalDialogDriver.h"

namespace pelmora::test {

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

// The dialog of thread with that caption once it is shown, or none.
inline HWND WaitForDialog(DWORD thread, const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindThreadDialog(thread, caption)) && ::IsWindowVisible(found); });
    return found;
}

inline DWORD ThreadOf(HWND window) { return ::GetWindowThreadProcessId(window, nullptr); }

// Replaces the edit box's text by typing: select all, then one posted WM_CHAR per
// character, so that the control and its parents see every change. Waits until the
// box shows text.
inline bool TypeInto(HWND edit, const std::wstring& text) {
    ::PostMessageW(edit, EM_SETSEL, 0, -1);
    if (text.empty()) ::PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    for (const wchar_t c : text) ::PostMessageW(edit, WM_CHAR, c, 1);
    return WaitUntil([&] { return ui::Control(edit).GetText() == text; });
}

// Presses a button as a click would (a disabled button ignores it).
inline void Press(HWND dialog, int buttonId) { ::PostMessageW(::GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

// A message box (or other dialog) with that caption owned by owner, once shown; none
// when none came.
inline HWND WaitForOwnedBox(HWND owner, const std::wstring& caption) {
    HWND box = WaitForDialog(ThreadOf(owner), caption);
    return box && ::GetWindow(box, GW_OWNER) == owner ? box : nullptr;
}

// The message text of a message box: the text of its static controls.
inline std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (::lstrcmpiW(className, L"Static") == 0) text += ui::Control(child).GetText();
    }
    return text;
}

// Answers box with the button and waits until it has gone.
inline bool AnswerBox(HWND box, int buttonId) {
    const HWND button = box ? ::GetDlgItem(box, buttonId) : nullptr;
    if (!button) return false;
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return WaitUntil([&] { return !::IsWindow(box); });
}

struct ListEntry {
    std::wstring text;
    int image = -1;
    bool operator==(const ListEntry& other) const { return text == other.text && image == other.image; }
};

inline std::vector<ListEntry> ListEntries(HWND list) {
    const ui::ListView view(list);
    std::vector<ListEntry> entries;
    for (int i = 0, count = view.GetItemCount(); i < count; ++i) entries.push_back({view.GetItemText(i), view.GetItemImage(i)});
    return entries;
}

inline int FindListEntry(HWND list, const std::wstring& text) {
    const auto entries = ListEntries(list);
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].text == text) return static_cast<int>(i);
    return -1;
}

// Posts the mouse messages of a click (or a double-click) on the list item's label.
inline bool ClickListItem(HWND list, int index, bool twice) {
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (index < 0 || !::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        return false;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    if (twice) {
        ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    }
    return true;
}

// Ends a label edit under way with text typed and Enter; false when no edit is under way.
inline bool FinishLabelEdit(HWND list, const std::wstring& text) {
    const HWND edit = ui::ListView(list).GetEditControl();
    if (!edit || !TypeInto(edit, text)) return false;
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    return WaitUntil([&] { return !ui::ListView(list).GetEditControl(); });
}

struct ChainEntry {
    std::wstring text;
    int indent = 0;
    bool operator==(const ChainEntry& other) const { return text == other.text && indent == other.indent; }
};

inline std::vector<ChainEntry> ChainEntries(HWND box) {
    const ui::ComboBoxEx combo(box);
    std::vector<ChainEntry> entries;
    for (int i = 0, count = combo.GetCount(); i < count; ++i) entries.push_back({combo.GetItemText(i), combo.GetItemIndent(i)});
    return entries;
}

}  // namespace pelmora::test
