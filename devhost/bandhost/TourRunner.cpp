#include "bandhost/TourRunner.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

#include "bandhost/BandHost.h"
#include "bandhost/ListBoxWatch.h"
#include "bandhost/LogTail.h"
#include "framework/win/SystemErrorText.h"
#include "framework/win/UniqueHandle.h"
#include "bandhost/TreeItems.h"
#include "bandhost/WindowQueries.h"

namespace pelmora::bandhost {

namespace {

constexpr int kDialogTimeoutMs = 5000;

bool IsChecked(int mark) { return mark > 0 && mark % 2 == 0; }

// The text a button shows, without its mnemonic marks.
std::wstring ButtonLabel(HWND button) {
    std::wstring label;
    for (const wchar_t c : WindowText(button))
        if (c != L'&') label += c;
    return label;
}

struct ButtonSearch {
    const std::wstring* label;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<ButtonSearch*>(parameter);
    if (_wcsicmp(ClassOf(window).c_str(), WC_BUTTONW) != 0 || !::IsWindowVisible(window)) return TRUE;
    if (_wcsicmp(ButtonLabel(window).c_str(), search->label->c_str()) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

struct IdSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<IdSearch*>(parameter);
    if (::GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

// The dialog's control with that id, at any depth.
HWND DialogControl(HWND dialog, int id) {
    IdSearch search{id, nullptr};
    ::EnumChildWindows(dialog, &MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindButtonByText(HWND dialog, const std::wstring& text) {
    std::wstring label;
    for (const wchar_t c : text)
        if (c != L'&') label += c;
    ButtonSearch search{&label, nullptr};
    ::EnumChildWindows(dialog, &MatchButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
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
    steps_ = &steps;
    next_ = 0;
    failures_ = 0;
    host_.SetPollListener([this] { OnPoll(); });
    while (next_ < steps.size() && !quit_) {
        if (!host_.IsOpen()) {
            host_.Transcript().Add(L"failed",
                                   L"line " + std::to_wstring(steps[next_].line) + L": the host window was closed");
            ++failures_;
            break;
        }
        RunStep(steps[next_++]);
    }
    host_.SetPollListener(nullptr);
    host_.ReleaseDialogs();
    steps_ = nullptr;
    return failures_;
}

void TourRunner::RunStep(const TourStep& step) {
    running_.push_back(OpenDialogs());
    host_.Transcript().Add(L"tour", L"line " + std::to_wstring(step.line) + L": " + step.source);
    std::wstring why;
    if (!Do(step, why)) {
        ++failures_;
        host_.Transcript().Add(L"failed", L"line " + std::to_wstring(step.line) + L": " + step.source + L": " + why);
    }
    host_.PumpPending();
    host_.Poll();
    running_.pop_back();
}

void TourRunner::OnPoll() {
    if (!steps_ || running_.empty()) return;
    if (next_ >= steps_->size() || quit_ || !host_.IsOpen()) {
        host_.ReleaseDialogs();  // nothing left to answer them
        return;
    }
    // Only a dialog that opened while the innermost step ran has its modal loop here.
    std::set<HWND> fresh;
    for (const HWND dialog : OpenDialogs())
        if (!running_.back().count(dialog)) fresh.insert(dialog);
    if (fresh.empty()) return;
    if (awaitedCaption_) {
        if (!ClaimDialog(*awaitedCaption_, fresh)) return;
        awaitedCaption_ = nullptr;
    }
    const TourStep& step = (*steps_)[next_];
    if (step.action == TourAction::kDialog) {
        if (!ClaimDialog(step.text, fresh)) return;
        preclaimed_ = true;
    } else if (!dialog_ || !fresh.count(dialog_)) {
        return;
    }
    RunStep((*steps_)[next_++]);
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
    case TourAction::kDoubleClick:
        return SelectItem(step, step.action == TourAction::kDoubleClick, why);
    case TourAction::kClick:
        return Click(step.number, why);
    case TourAction::kKey:
        return PressKey(step.key, why);
    case TourAction::kSaveScript:
        return SaveScript(step.words.front(), Resolve(step.text), why);
    case TourAction::kMoveScript:
        return MoveScript(step.words.front(), step.text, why);
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
    case TourAction::kDialog:
        return WaitForDialog(step.text, why);
    case TourAction::kExpectFile:
        return ExpectFile(step.text, why);
    case TourAction::kType:
        return TypeText(step.number, step.text, why);
    case TourAction::kKeys:
        return TypeKeys(step.number, step.text, why);
    case TourAction::kPress:
        return PressButton(step.text, why);
    case TourAction::kQuit:
        quit_ = true;
        return true;
    case TourAction::kCloseBand:
        if (!host_.Band().IsAttached()) {
            why = L"there is no band";
            return false;
        }
        host_.CloseBand(static_cast<CloseOrder>(step.number));
        return true;
    case TourAction::kOpenBand: {
        const HRESULT hr = host_.ReopenBand();
        if (FAILED(hr)) why = L"the bar cannot be opened again: " + HResultText(hr);
        return SUCCEEDED(hr);
    }
    case TourAction::kFocusAnswer:
        host_.SetFocusAnswer(step.number == 1);
        return true;
    case TourAction::kDeleteScript:
        return DeleteScript(step.text, why);
    case TourAction::kMakeFolder:
        return MakeFolder(step.text, why);
    }
    why = L"unknown step";
    return false;
}

bool TourRunner::ClaimDialog(const std::wstring& caption, const std::set<HWND>& candidates) {
    for (const HWND dialog : candidates) {
        if (claimed_.count(dialog) || WindowText(dialog) != caption) continue;
        dialog_ = dialog;
        claimed_.insert(dialog);
        host_.KeepDialog(dialog);
        return true;
    }
    return false;
}

bool TourRunner::WaitForDialog(const std::wstring& caption, std::wstring& why) {
    if (preclaimed_) {  // the poll inside the dialog's modal loop claimed it for this step
        preclaimed_ = false;
        return true;
    }
    const HWND previous = dialog_;
    // It may open during the wait, with its modal loop inside it: then the poll claims it.
    awaitedCaption_ = &caption;
    const bool found = host_.PumpUntil(
        [&] { return dialog_ != previous || ClaimDialog(caption, OpenDialogs()); }, kDialogTimeoutMs);
    awaitedCaption_ = nullptr;
    if (!found) why = L"no dialog \"" + caption + L"\" opened";
    return found;
}

bool TourRunner::AnsweredDialogIsOpen(std::wstring& why) const {
    if (dialog_ && ::IsWindow(dialog_) && ::IsWindowVisible(dialog_)) return true;
    why = dialog_ ? L"the dialog \"" + WindowText(dialog_) + L"\" is closed" : L"no dialog is being answered";
    if (dialog_ && !::IsWindow(dialog_)) why = L"the dialog the tour answered is closed";
    return false;
}

HWND TourRunner::TextControl(int id, std::wstring& why) const {
    if (!AnsweredDialogIsOpen(why)) return nullptr;
    HWND control = DialogControl(dialog_, id);
    if (!control) {
        why = L"the dialog has no control " + std::to_wstring(id);
        return nullptr;
    }
    // The edit box inside a combo box takes the characters.
    const std::wstring kind = ClassOf(control);
    if (_wcsicmp(kind.c_str(), WC_COMBOBOXEXW) == 0) {
        control = reinterpret_cast<HWND>(::SendMessageW(control, CBEM_GETEDITCONTROL, 0, 0));
    } else if (_wcsicmp(kind.c_str(), WC_COMBOBOXW) == 0) {
        control = ::FindWindowExW(control, nullptr, WC_EDITW, nullptr);
    }
    if (!control || !::IsWindowEnabled(control)) {
        why = L"control " + std::to_wstring(id) + L" takes no text";
        return nullptr;
    }
    ::SetFocus(control);
    return control;
}

bool TourRunner::TypeText(int id, const std::wstring& text, std::wstring& why) {
    const HWND control = TextControl(id, why);
    if (!control) return false;
    if (_wcsicmp(ClassOf(control).c_str(), WC_EDITW) == 0) ::SendMessageW(control, EM_SETSEL, 0, -1);
    for (const wchar_t c : text) ::PostMessageW(control, WM_CHAR, c, 1);
    host_.PumpFor(settleMs_);
    return true;
}

bool TourRunner::TypeKeys(int id, const std::wstring& text, std::wstring& why) {
    const HWND control = TextControl(id, why);
    if (!control) return false;
    for (const wchar_t c : text) {
        // The key of the keyboard's layout that types c, with the shift keys it needs.
        const SHORT found = ::VkKeyScanW(c);
        if (found == -1) {
            why = std::wstring(L"no key of the keyboard types '") + c + L"'";
            return false;
        }
        const TourKey key{LOBYTE(found), (HIBYTE(found) & 1) != 0, (HIBYTE(found) & 2) != 0, (HIBYTE(found) & 4) != 0};
        if (!PressKey(key, why)) return false;
    }
    const std::wstring shown = WindowText(control);
    if (shown.find(text) != std::wstring::npos) return true;
    why = L"after the keys control " + std::to_wstring(id) + L" shows \"" + shown + L"\"";
    return false;
}

bool TourRunner::PressButton(const std::wstring& button, std::wstring& why) {
    if (!AnsweredDialogIsOpen(why)) return false;
    int id = 0;
    const bool byId = !button.empty() && button.size() <= 5 &&
                      std::all_of(button.begin(), button.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    if (byId) id = std::stoi(button);
    const HWND target = byId ? DialogControl(dialog_, id) : FindButtonByText(dialog_, button);
    if (!target) {
        why = L"the dialog has no button " + (byId ? button : L"\"" + button + L"\"");
        return false;
    }
    if (!::IsWindowEnabled(target)) {
        why = L"the button " + button + L" is disabled";
        return false;
    }
    // Posted: what the button starts may run a modal loop of its own.
    ::PostMessageW(target, BM_CLICK, 0, 0);
    host_.PumpFor(settleMs_);
    return true;
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

bool TourRunner::SelectItem(const TourStep& step, bool twice, std::wstring& why) {
    HWND tree = nullptr;
    HTREEITEM item = nullptr;
    if (!FindItem(step, tree, item, why)) return false;
    if (TreeView_GetSelection(tree) == item && !twice) return true;
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
    if (twice) {
        // The second press of a double-click comes as its own message.
        ::PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(tree, WM_LBUTTONUP, 0, at);
    }
    if (host_.PumpUntil([&] { return TreeView_GetSelection(tree) == FindTreeItem(tree, step.text); }, markTimeoutMs_))
        return true;
    why = L"after the click the item is not selected";
    return false;
}

bool TourRunner::CheckItem(const TourStep& step, bool check, std::wstring& why) {
    HWND tree = nullptr;
    HTREEITEM item = nullptr;
    if (!FindItem(step, tree, item, why)) return false;
    if (IsChecked(TreeItemMark(tree, item)) == check) return true;
    // Expanding folders on the way may have moved things, and the band may rebuild its
    // trees meanwhile (its folder watch after a command): the item is looked up again
    // until its check box shows, as a person looks again.
    POINT point{};
    const bool shown =
        host_.PumpUntil([&] { item = nullptr; return FindItem(step, tree, item, why) && FindStateIcon(tree, item, point); },
                        markTimeoutMs_);
    if (!shown) {
        if (item) why = L"the item shows no check box";
        return false;
    }
    if (IsChecked(TreeItemMark(tree, item)) == check) return true;
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
        markTimeoutMs_);
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
    host_.PumpFor(settleMs_);
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
    host_.PumpFor(settleMs_);
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

bool TourRunner::BelowScriptLocation(const std::wstring& path, std::wstring& full, std::wstring& why) const {
    // The log lies in the script location.
    const std::wstring log = ProductLogPath();
    const size_t slash = log.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        why = L"the product key names no script location";
        return false;
    }
    full = log.substr(0, slash) + L"\\" + path;
    return true;
}

bool TourRunner::ExpectFile(const std::wstring& path, std::wstring& why) {
    std::wstring full;
    if (!BelowScriptLocation(path, full, why)) return false;
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    why = attributes == INVALID_FILE_ATTRIBUTES ? L"there is no file \"" + full + L"\""
                                                : L"\"" + full + L"\" is a folder";
    return false;
}

bool TourRunner::SaveScript(const std::wstring& path, const std::wstring& source, std::wstring& why) {
    std::wstring target;
    if (!BelowScriptLocation(path, target, why)) return false;
    std::string content;
    {
        win::UniqueFileHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        char buffer[4096];
        DWORD read = 0;
        while (in.valid() && ::ReadFile(in.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            content.append(buffer, read);
        if (!in.valid()) {
            why = L"\"" + source + L"\" cannot be read: " + win::SystemErrorText(::GetLastError());
            return false;
        }
    }
    win::UniqueFileHandle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!out.valid() ||
        !::WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size()) {
        why = L"\"" + target + L"\" cannot be written: " + win::SystemErrorText(::GetLastError());
        return false;
    }
    host_.Transcript().Add(L"host", L"saved " + target);
    return true;
}

bool TourRunner::MoveScript(const std::wstring& from, const std::wstring& to, std::wstring& why) {
    std::wstring source, target;
    if (!BelowScriptLocation(from, source, why) || !BelowScriptLocation(to, target, why)) return false;
    if (!::MoveFileExW(source.c_str(), target.c_str(), 0)) {
        why = L"\"" + source + L"\" cannot be moved to \"" + target + L"\": " + win::SystemErrorText(::GetLastError());
        return false;
    }
    host_.Transcript().Add(L"host", L"moved " + source + L" to " + target);
    return true;
}

namespace {

// Deletes path and, for a folder, what it holds; a link is removed itself, never
// followed.
bool DeleteTree(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(path.c_str()) != FALSE;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found{};
        win::UniqueFindHandle search(::FindFirstFileW((path + L"\\*").c_str(), &found));
        while (search.valid()) {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") DeleteTree(path + L"\\" + name);
            if (!::FindNextFileW(search.get(), &found)) break;
        }
    }
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace

bool TourRunner::DeleteScript(const std::wstring& path, std::wstring& why) {
    std::wstring target;
    if (!BelowScriptLocation(path, target, why)) return false;
    if (!DeleteTree(target)) {
        why = L"\"" + target + L"\" cannot be deleted: " + win::SystemErrorText(::GetLastError());
        return false;
    }
    host_.Transcript().Add(L"host", L"deleted " + target);
    return true;
}

bool TourRunner::MakeFolder(const std::wstring& path, std::wstring& why) {
    std::wstring target;
    if (!BelowScriptLocation(path, target, why)) return false;
    if (!::CreateDirectoryW(target.c_str(), nullptr)) {
        why = L"\"" + target + L"\" cannot be made: " + win::SystemErrorText(::GetLastError());
        return false;
    }
    host_.Transcript().Add(L"host", L"made " + target);
    return true;
}

std::wstring TourRunner::Resolve(const std::wstring& file) const {
    if (!::PathIsRelativeW(file.c_str()) || baseDirectory_.empty()) return file;
    return baseDirectory_ + L"\\" + file;
}

}  // namespace pelmora::bandhost
