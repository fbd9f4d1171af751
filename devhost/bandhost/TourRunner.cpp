#include "bandhost/TourRunner.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

#include "bandhost/BandHost.h"
#include "bandhost/ListBoxWatch.h"
#include "bandhost/TreeItems.h"

namespace pelmora::bandhost {

namespace {

constexpr int kMarkTimeoutMs = 3000;

bool IsChecked(int mark) { return mark > 0 && mark % 2 == 0; }

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool IsExtendedKey(WORD key) {
    switch (key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
        return true;
    default:
        return false;
    }
}

// Tour lines and failures tell what the tour did; expectations read what happened.
bool IsTourLine(const std::wstring& line) {
    return line.rfind(L"tour: ", 0) == 0 || line.rfind(L"failed: ", 0) == 0;
}

}  // namespace

int TourRunner::Run(const std::vector<TourStep>& steps) {
    int failures = 0;
    for (const TourStep& step : steps) {
        if (!host_.IsOpen()) {
            host_.Transcript().Add(L"failed", L"line " + std::to_wstring(step.line) + L": the host window was closed");
            return failures + 1;
        }
        host_.Transcript().Add(L"tour", L"line " + std::to_wstring(step.line) + L": " + step.source);
        std::wstring why;
        if (!Do(step, why)) {
            ++failures;
            host_.Transcript().Add(L"failed",
                                   L"line " + std::to_wstring(step.line) + L": " + step.source + L": " + why);
        }
        host_.PumpPending();
        host_.Poll();
        if (quit_) break;
    }
    return failures;
}

bool TourRunner::Do(const TourStep& step, std::wstring& why) {
    switch (step.action) {
    case TourAction::kNavigate: {
        const HRESULT hr = host_.Navigate(step.text);
        if (FAILED(hr)) why = L"the browser answers " + HResultText(hr);
        return SUCCEEDED(hr);
    }
    case TourAction::kFrames:
        host_.Browser().DescribePage({step.text, step.text, step.words});
        return true;
    case TourAction::kNotHtml:
        host_.Browser().DescribePage({step.text, step.text, {}, false});
        return true;
    case TourAction::kBack:
        if (SUCCEEDED(host_.Back())) return true;
        why = L"there is no page to go back to";
        return false;
    case TourAction::kCheck:
    case TourAction::kUncheck:
        return CheckItem(step, step.action == TourAction::kCheck, why);
    case TourAction::kSelect:
        return SelectItem(step, why);
    case TourAction::kClick:
        return Click(step.number, why);
    case TourAction::kKey:
        return PressKey(step.key, why);
    case TourAction::kToggleBand:
        if (!host_.Band().IsAttached()) {
            why = L"there is no band";
            return false;
        }
        host_.ToggleBand();
        return true;
    case TourAction::kWait:
        host_.PumpFor(step.number);
        return true;
    case TourAction::kScreenshot: {
        const HRESULT hr = host_.SaveScreenshot(Resolve(step.text));
        if (FAILED(hr)) why = L"the picture could not be saved: " + HResultText(hr);
        return SUCCEEDED(hr);
    }
    case TourAction::kListBox:
        host_.FollowListBox(step.number);
        if (host_.FollowedListBox()) return true;
        why = step.number ? L"the band has no control " + std::to_wstring(step.number) : L"the band has no list box";
        return false;
    case TourAction::kExpectAttached:
        return ExpectListed(step.text, true, why);
    case TourAction::kExpectNotAttached:
        return ExpectListed(step.text, false, why);
    case TourAction::kExpectTranscript:
        return ExpectTranscript(step.text, why);
    case TourAction::kQuit:
        quit_ = true;
        return true;
    }
    why = L"unknown step";
    return false;
}

bool TourRunner::FindItem(const TourStep& step, HWND& tree, HTREEITEM& item, std::wstring& why) {
    tree = host_.FindBandControl(step.number);
    if (!tree) {
        why = L"the band has no control " + std::to_wstring(step.number);
        return false;
    }
    if (_wcsicmp(ClassOf(tree).c_str(), WC_TREEVIEWW) != 0) {
        why = L"control " + std::to_wstring(step.number) + L" is no tree view";
        return false;
    }
    if (!::IsWindowVisible(tree)) {
        why = L"the tree is hidden";
        return false;
    }
    item = FindTreeItem(tree, step.text);
    if (!item) {
        why = L"the tree has no item \"" + step.text + L"\"";
        return false;
    }
    return true;
}

bool TourRunner::SelectItem(const TourStep& step, std::wstring& why) {
    HWND tree = nullptr;
    HTREEITEM item = nullptr;
    if (!FindItem(step, tree, item, why)) return false;
    if (TreeView_GetSelection(tree) == item) return true;
    host_.PumpPending();
    TreeView_EnsureVisible(tree, item);
    RECT label{};
    if (!TreeView_GetItemRect(tree, item, &label, TRUE)) {
        why = L"the item's label cannot be seen";
        return false;
    }
    const POINT point{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    if (!MovePointer(tree, point, [this] { host_.PumpPending(); })) {
        why = L"the pointer cannot be moved onto the item";
        return false;
    }
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    if (host_.PumpUntil([&] { return TreeView_GetSelection(tree) == FindTreeItem(tree, step.text); }, kMarkTimeoutMs))
        return true;
    why = L"after the click the item is not selected";
    return false;
}

bool TourRunner::CheckItem(const TourStep& step, bool check, std::wstring& why) {
    HWND tree = nullptr;
    HTREEITEM item = nullptr;
    if (!FindItem(step, tree, item, why)) return false;
    if (IsChecked(TreeItemMark(tree, item)) == check) return true;
    host_.PumpPending();  // expanding folders on the way may have moved things
    POINT point{};
    if (!FindStateIcon(tree, item, point)) {
        why = L"the item shows no check box";
        return false;
    }
    if (!MovePointer(tree, point, [this] { host_.PumpPending(); })) {
        why = L"the pointer cannot be moved onto the check box";
        return false;
    }
    const LPARAM at = MAKELPARAM(point.x, point.y);
    ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    // The band may rebuild its trees on a change: find the item again each time.
    const bool done = host_.PumpUntil(
        [&] {
            const HTREEITEM now = FindTreeItem(tree, step.text);
            return now && IsChecked(TreeItemMark(tree, now)) == check;
        },
        kMarkTimeoutMs);
    if (done) return true;
    const HTREEITEM now = FindTreeItem(tree, step.text);
    why = L"after the click the item's mark is " + std::to_wstring(now ? TreeItemMark(tree, now) : 0);
    return false;
}

bool TourRunner::Click(int id, std::wstring& why) {
    const HWND control = host_.FindBandControl(id);
    if (!control) {
        why = L"the band has no control " + std::to_wstring(id);
        return false;
    }
    if (!::IsWindowVisible(control)) {
        why = L"control " + std::to_wstring(id) + L" is hidden";
        return false;
    }
    if (!::IsWindowEnabled(control)) {
        why = L"control " + std::to_wstring(id) + L" is disabled";
        return false;
    }
    // Posted: a button that opens a modal dialog returns only when the dialog ends.
    ::PostMessageW(control, BM_CLICK, 0, 0);
    host_.PumpFor(50);
    return true;
}

bool TourRunner::PressKey(const TourKey& key, std::wstring& why) {
    const HWND target = ::GetFocus();
    if (!target) {
        why = L"no window has the keyboard focus";
        return false;
    }
    BYTE saved[256] = {};
    ::GetKeyboardState(saved);
    BYTE held[256];
    std::copy(saved, saved + 256, held);
    const auto hold = [&held](bool down, BYTE generic, BYTE left) {
        if (!down) return;
        held[generic] |= 0x80;
        held[left] |= 0x80;
    };
    hold(key.shift, VK_SHIFT, VK_LSHIFT);
    hold(key.control, VK_CONTROL, VK_LCONTROL);
    hold(key.alt, VK_MENU, VK_LMENU);
    ::SetKeyboardState(held);
    const UINT scan = ::MapVirtualKeyW(key.virtualKey, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | static_cast<LPARAM>(scan & 0xFF) << 16;
    if (IsExtendedKey(key.virtualKey)) down |= 1 << 24;
    if (key.alt) down |= 1 << 29;
    const LPARAM up = down | static_cast<LPARAM>(0xC0000000u);
    const bool system = key.alt && !key.control;
    ::PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key.virtualKey, down);
    ::PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, key.virtualKey, up);
    host_.PumpFor(50);
    ::SetKeyboardState(saved);
    return true;
}

bool TourRunner::ExpectListed(const std::wstring& text, bool listed, std::wstring& why) {
    const HWND list = host_.FollowedListBox();
    if (!list) {
        why = L"the band shows no list box to read";
        return false;
    }
    const std::vector<std::wstring> entries = ListBoxEntries(list);
    bool found = false;
    std::wstring all;
    for (const std::wstring& entry : entries) {
        if (entry.find(text) != std::wstring::npos) found = true;
        all += (all.empty() ? L"" : L" | ") + entry;
    }
    if (found == listed) return true;
    why = (listed ? L"no entry contains it; the list holds " : L"an entry contains it; the list holds ") +
          (entries.empty() ? std::wstring(L"nothing") : all);
    return false;
}

bool TourRunner::ExpectTranscript(const std::wstring& text, std::wstring& why) {
    host_.Transcript().Flush();
    const std::vector<std::wstring>& lines = host_.Transcript().Lines();
    for (size_t i = transcriptFrom_; i < lines.size(); ++i) {
        if (IsTourLine(lines[i]) || lines[i].find(text) == std::wstring::npos) continue;
        transcriptFrom_ = i + 1;
        return true;
    }
    why = L"no transcript line since the last match contains it";
    return false;
}

std::wstring TourRunner::Resolve(const std::wstring& file) const {
    if (!::PathIsRelativeW(file.c_str()) || baseDirectory_.empty()) return file;
    return baseDirectory_ + L"\\" + file;
}

}  // namespace pelmora::bandhost
