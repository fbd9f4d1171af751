// The Save Script As dialog run modally and answered from a second thread as a user
// would: typing into the file-name box, pressing Save and New, double-clicking and
// clicking list entries, editing labels and answering the message boxes it opens;
// then the disk, the shared autocomplete list and the dialog's results are read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "library/ProductKeyValues.h"
#include "TestSupport.h"
#include "ui/DialogAnswers.h"
#include "ui/SaveScriptAsDlg.h"
#include "ui/SharedPropertyBag.h"

namespace pelmora {
namespace {

using test::ChainEntry;
using test::ListEntry;

constexpr wchar_t kCaption[] = L"Save Script As";
constexpr int kScript = CSaveScriptAsDlg::kScriptImage;
constexpr int kFolder = CSaveScriptAsDlg::kFolderImage;
constexpr int kParent = CSaveScriptAsDlg::kParentImage;

// Every name the shared autocomplete list holds, in order.
std::vector<std::wstring> SharedNames() {
    std::vector<std::wstring> names;
    const auto list = GetSharedPropertyBagSlot();
    com::ComPtr<IEnumString> enumerator;
    if (!list || FAILED(list->Clone(enumerator.put())) || FAILED(enumerator->Reset())) return names;
    LPOLESTR name = nullptr;
    ULONG fetched = 0;
    while (enumerator->Next(1, &name, &fetched) == S_OK) {
        names.emplace_back(name);
        ::CoTaskMemFree(name);
    }
    return names;
}

size_t TimesShared(const std::wstring& name) {
    const auto names = SharedNames();
    return static_cast<size_t>(std::count(names.begin(), names.end(), name));
}

// What a folder holds, in the order the file system returns it, without "." and "..".
std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return names;
}

class SaveScriptAsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_TRUE(owner_);
    }
    void TearDown() override { ::DestroyWindow(owner_); }

    std::wstring Folder(const std::wstring& relative) {
        const std::wstring path = top_ + relative;
        ::CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    void File(const std::wstring& relative) { test::WriteFileBytes(top_ + relative, "x"); }

    // Runs the dialog from start with answer on the helper thread; the run's result.
    INT_PTR Run(CSaveScriptAsDlg& dialog, const std::wstring& start, const std::function<void(HWND)>& answer) {
        dialog.SetFolders(top_, start);
        // Answered once shown: the dialog sets itself up when it is shown.
        test::ModalDialogDriver driver(kCaption, [&](HWND shown) {
            test::WaitUntil([&] { return ::IsWindowVisible(shown) != FALSE; });
            answer(shown);
        });
        const INT_PTR result = dialog.DoModal();
        EXPECT_EQ(dialog.Handle(), nullptr);
        return result;
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir folder_;
    const std::wstring top_ = folder_.path();
    HWND owner_ = nullptr;
};

HWND EntryList(HWND dialog) { return ::GetDlgItem(dialog, CSaveScriptAsDlg::kEntryList); }
HWND SaveInBox(HWND dialog) { return ::GetDlgItem(dialog, CSaveScriptAsDlg::kSaveInBox); }
HWND FileNameEdit(HWND dialog) {
    return ui::ComboBoxEx(::GetDlgItem(dialog, CSaveScriptAsDlg::kFileNameBox)).GetEditControl();
}
bool SaveEnabled(HWND dialog) { return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE; }
int SelectedChainEntry(HWND dialog) { return ui::ComboBoxEx(SaveInBox(dialog)).GetCurSel(); }

// The list once it shows what wanted says.
std::vector<ListEntry> ListOnce(HWND dialog, const std::function<bool(const std::vector<ListEntry>&)>& wanted) {
    std::vector<ListEntry> entries;
    test::WaitUntil([&] { return wanted(entries = test::ListEntries(EntryList(dialog))); });
    return entries;
}
bool Holds(const std::vector<ListEntry>& entries, const ListEntry& entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

TEST_F(SaveScriptAsDlgTest, ChainAndListShowTheFolderBelowTheTopInTheFileSystemsOrder) {
    Folder(L"\\one");
    Folder(L"\\one\\two");
    Folder(L"\\one\\two\\inner");
    for (const wchar_t* name : {L"\\top.WSC", L"\\one\\two\\a.WsC", L"\\one\\two\\b.wsc", L"\\one\\two\\notes.txt",
                                L"\\one\\two\\.wsc", L"\\one\\two\\c.WSC.bak"}) {
        File(name);
    }
    struct Case {
        const wchar_t* start;
        std::vector<ChainEntry> chain;
        bool parentListed;
        std::vector<std::wstring> listed;  // in the file system's order below
    };
    const Case cases[] = {
        {L"", {{L"Browser main scripts", 0}}, false, {L"one", L"top.WSC"}},
        {L"\\one\\two",
         {{L"Browser main scripts", 0}, {L"one", 1}, {L"two", 2}},
         true,
         {L"a.WsC", L"b.wsc", L"inner"}},
        // A start outside the top folder (here a sibling whose name begins alike) shows the top.
        {L"-sibling", {{L"Browser main scripts", 0}}, false, {L"one", L"top.WSC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << test::ToAnsi(c.start));
        const std::wstring start = top_ + c.start;
        const std::wstring shown = c.parentListed ? start : top_;
        std::vector<ListEntry> expected;
        if (c.parentListed) expected.push_back({L"..", kParent});
        for (const std::wstring& name : FolderContents(shown)) {
            if (std::find(c.listed.begin(), c.listed.end(), name) == c.listed.end()) continue;
            expected.push_back({name, test::DirectoryExists(shown + L"\\" + name) ? kFolder : kScript});
        }
        ASSERT_EQ(expected.size(), c.listed.size() + (c.parentListed ? 1 : 0));
        // ".." comes where the file system puts it, which is first for every folder here.
        std::vector<ListEntry> listed;
        std::vector<ChainEntry> chain;
        int selected = -1;
        bool saveEnabled = true;
        CSaveScriptAsDlg dialog(owner_);
        const INT_PTR result = Run(dialog, start, [&](HWND shownDialog) {
            listed = ListOnce(shownDialog, [&](const auto& entries) { return entries.size() == expected.size(); });
            chain = test::ChainEntries(SaveInBox(shownDialog));
            selected = SelectedChainEntry(shownDialog);
            saveEnabled = SaveEnabled(shownDialog);
            test::Press(shownDialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(chain, c.chain);
        EXPECT_EQ(selected, static_cast<int>(c.chain.size()) - 1);
        EXPECT_FALSE(saveEnabled) << "Save with an empty name";
    }
}

TEST_F(SaveScriptAsDlgTest, TypedNameEndsInTheExtensionAndSaveEndsTheRunWithTheShownFolder) {
    const std::wstring sub = Folder(L"\\sub");
    struct Case {
        const wchar_t* typed;
        const wchar_t* saved;
    };
    const Case cases[] = {
        {L"news", L"news.WSC"},
        {L"news.wsc", L"news.wsc"},
        {L"news.txt", L"news.txt.WSC"},
        {L"two words", L"two words.WSC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(test::ToAnsi(c.typed));
        bool enabledBefore = true, enabledAfter = false;
        CSaveScriptAsDlg dialog(owner_);
        const INT_PTR result = Run(dialog, sub, [&](HWND shown) {
            enabledBefore = SaveEnabled(shown);
            test::TypeInto(FileNameEdit(shown), c.typed);
            test::WaitUntil([&] { return SaveEnabled(shown); });
            enabledAfter = SaveEnabled(shown);
            test::Press(shown, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_FALSE(enabledBefore);
        EXPECT_TRUE(enabledAfter);
        EXPECT_EQ(dialog.GetFileName(), c.saved);
        EXPECT_EQ(dialog.GetFolder(), sub);
        EXPECT_FALSE(test::FileExists(sub + L"\\" + c.saved)) << "the dialog writes no file";
        EXPECT_EQ(TimesShared(c.saved), 1u) << "the saved name is offered for completion";
    }
}

TEST_F(SaveScriptAsDlgTest, ExistingNameIsReplacedOnlyAfterYesToReplaceFile) {
    File(L"\\old.WSC");
    std::wstring question, textAfterNo;
    bool openAfterNo = false;
    UINT buttonsOfQuestion = 0;
    CSaveScriptAsDlg dialog(owner_);
    const INT_PTR result = Run(dialog, top_, [&](HWND shown) {
        test::TypeInto(FileNameEdit(shown), L"old");
        test::Press(shown, IDOK);
        HWND box = test::WaitForOwnedBox(shown, L"Replace File");
        question = box ? test::MessageBoxText(box) : L"";
        buttonsOfQuestion = (box && ::GetDlgItem(box, IDYES) ? 1 : 0) + (box && ::GetDlgItem(box, IDNO) ? 2 : 0);
        test::AnswerBox(box, IDNO);
        ::Sleep(200);
        openAfterNo = ::IsWindowVisible(shown) != FALSE;
        textAfterNo = ui::Control(FileNameEdit(shown)).GetText();
        test::Press(shown, IDOK);
        test::AnswerBox(test::WaitForOwnedBox(shown, L"Replace File"), IDYES);
    });
    EXPECT_EQ(question, L"File \"old.WSC\" already exists.\n\nDo you want to replace it?");
    EXPECT_EQ(buttonsOfQuestion, 3u) << "Yes and No";
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(textAfterNo, L"old.WSC") << "the extension stays added";
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetFileName(), L"old.WSC");
    EXPECT_EQ(test::ReadFileBytes(top_ + L"\\old.WSC"), "x") << "replacing is the caller's";
}

TEST_F(SaveScriptAsDlgTest, NamesThatLeaveTheFolderAreRefusedWithTheDialogOpenAndNothingChanged) {
    const std::wstring sub = Folder(L"\\sub");
    File(L"\\sub\\keep.WSC");
    Folder(L"\\sub\\folder");
    const std::vector<std::wstring> before = FolderContents(sub), topBefore = FolderContents(top_);
    const wchar_t* const refused[] = {L"..\\escaped", L"..", L".", L"a/b", L"d:rel", L"what?", L"con"};
    test::LogCapture log;
    struct Seen {
        std::wstring saveBox, renameFileBox, renameFolderBox;
        bool open = false;
        std::vector<ListEntry> listAfter;
    };
    std::vector<Seen> seen(std::size(refused));
    CSaveScriptAsDlg dialog(owner_);
    const INT_PTR result = Run(dialog, sub, [&](HWND shown) {
        const HWND list = EntryList(shown);
        ListOnce(shown, [](const auto& entries) { return entries.size() == 3; });
        for (size_t i = 0; i < std::size(refused); ++i) {
            Seen& s = seen[i];
            test::TypeInto(FileNameEdit(shown), refused[i]);
            test::Press(shown, IDOK);
            HWND box = test::WaitForOwnedBox(shown, L"Error");
            s.saveBox = box ? test::MessageBoxText(box) : L"(no box)";
            test::AnswerBox(box, IDOK);
            for (const auto& [entry, text] : {std::pair{L"keep.WSC", &s.renameFileBox}, {L"folder", &s.renameFolderBox}}) {
                ::SendMessageW(list, LVM_EDITLABELW, test::FindListEntry(list, entry), 0);
                const HWND edit = ui::ListView(list).GetEditControl();
                if (!edit || !test::TypeInto(edit, refused[i])) continue;
                ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
                box = test::WaitForOwnedBox(shown, L"Error");
                *text = box ? test::MessageBoxText(box) : L"(no box)";
                test::AnswerBox(box, IDOK);
                test::WaitUntil([&] { return !ui::ListView(list).GetEditControl(); });
            }
            s.open = ::IsWindowVisible(shown) != FALSE;
            s.listAfter = test::ListEntries(list);
        }
        test::Press(shown, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    const std::vector<ListEntry> listed = {{L"..", kParent}, {L"keep.WSC", kScript}, {L"folder", kFolder}};
    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(test::ToAnsi(refused[i]));
        EXPECT_EQ(seen[i].saveBox, std::wstring(L"Invalid file name \"") + refused[i] + L"\"");
        EXPECT_EQ(seen[i].renameFileBox, L"Can not rename file. \"" + sub + L"\\keep.WSC\"");
        EXPECT_EQ(seen[i].renameFolderBox, L"Can not rename directory. \"" + sub + L"\\folder\"");
        EXPECT_TRUE(seen[i].open);
        std::vector<ListEntry> sorted = seen[i].listAfter, expected = listed;
        std::sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.text < b.text; });
        std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.text < b.text; });
        EXPECT_EQ(sorted, expected) << "the old labels stay";
    }
    EXPECT_EQ(FolderContents(sub), before);
    EXPECT_EQ(FolderContents(top_), topBefore);
    EXPECT_EQ(test::CountOf(log.Added(), "Can not rename file. current path: "), std::size(refused));
    EXPECT_EQ(test::CountOf(log.Added(), "Can not rename directory. current path: "), std::size(refused));
}

TEST_F(SaveScriptAsDlgTest, NewFolderTakesTheFirstFreeNumberAndRenamesStayAfterCancel) {
    Folder(L"\\New Folder");
    Folder(L"\\New Folder (0)");
    File(L"\\a.WSC");
    File(L"\\taken.WSC");
    std::wstring editedText;
    std::vector<ListEntry> afterNew, afterRenames;
    std::wstring clashBox;
    CSaveScriptAsDlg dialog(owner_);
    test::LogCapture log;
    const INT_PTR result = Run(dialog, top_, [&](HWND shown) {
        const HWND list = EntryList(shown);
        ListOnce(shown, [](const auto& entries) { return entries.size() == 4; });
        test::Press(shown, CSaveScriptAsDlg::kNewFolderButton);
        // The new folder is listed and its label edited without another click.
        test::WaitUntil([&] { return ui::ListView(list).GetEditControl() != nullptr; });
        const HWND edit = ui::ListView(list).GetEditControl();
        editedText = edit ? ui::Control(edit).GetText() : L"(no edit)";
        afterNew = test::ListEntries(list);
        test::FinishLabelEdit(list, L"scripts");
        // A script takes the extension; a folder keeps the text as typed.
        ::SendMessageW(list, LVM_EDITLABELW, test::FindListEntry(list, L"a.WSC"), 0);
        test::FinishLabelEdit(list, L"report");
        // Renaming onto an existing name is refused with the old name kept.
        ::SendMessageW(list, LVM_EDITLABELW, test::FindListEntry(list, L"report.WSC"), 0);
        if (const HWND clash = ui::ListView(list).GetEditControl()) {
            test::TypeInto(clash, L"taken.WSC");
            ::PostMessageW(clash, WM_KEYDOWN, VK_RETURN, 1);
            const HWND box = test::WaitForOwnedBox(shown, L"Error");
            clashBox = box ? test::MessageBoxText(box) : L"(no box)";
            test::AnswerBox(box, IDOK);
        }
        afterRenames = ListOnce(shown, [](const auto& entries) { return Holds(entries, {L"report.WSC", kScript}); });
        test::Press(shown, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(editedText, L"New Folder (1)");
    EXPECT_TRUE(Holds(afterNew, {L"New Folder (1)", kFolder}));
    EXPECT_TRUE(test::DirectoryExists(top_ + L"\\scripts"));
    EXPECT_FALSE(test::DirectoryExists(top_ + L"\\New Folder (1)"));
    EXPECT_TRUE(test::FileExists(top_ + L"\\report.WSC"));
    EXPECT_FALSE(test::FileExists(top_ + L"\\a.WSC"));
    EXPECT_TRUE(test::FileExists(top_ + L"\\taken.WSC"));
    EXPECT_TRUE(Holds(afterRenames, {L"scripts", kFolder}));
    EXPECT_TRUE(Holds(afterRenames, {L"taken.WSC", kScript}));
    EXPECT_EQ(clashBox, L"Can not rename file. \"" + top_ + L"\\report.WSC\"");
    EXPECT_EQ(test::CountOf(log.Added(), "Can not rename file. current path: " + test::ToAnsi(top_) +
                                             "\\report.WSC, new path: " + test::ToAnsi(top_) + "\\taken.WSC"),
              1u);
}

TEST_F(SaveScriptAsDlgTest, WalkingThroughFoldersOffersEachScriptNameOnceForCompletion) {
    // Names no other test lists, so the process's shared list holds none of them yet.
    Folder(L"\\walk");
    Folder(L"\\walk\\deeper");
    File(L"\\walk-top.WSC");
    File(L"\\walk\\walk-inner.WSC");
    File(L"\\walk\\deeper\\walk-deep.WSC");
    std::vector<std::vector<ChainEntry>> chains;
    std::wstring clickedName;
    bool saveAfterClick = false;
    std::vector<ListEntry> atTopAgain;
    test::LogCapture log;
    CSaveScriptAsDlg dialog(owner_);
    const INT_PTR result = Run(dialog, top_, [&](HWND shown) {
        const HWND list = EntryList(shown);
        const auto open = [&](const std::wstring& entry, const ListEntry& thenListed) {
            test::ClickListItem(list, test::FindListEntry(list, entry), true);
            ListOnce(shown, [&](const auto& entries) { return Holds(entries, thenListed); });
            chains.push_back(test::ChainEntries(SaveInBox(shown)));
        };
        ListOnce(shown, [](const auto& entries) { return Holds(entries, {L"walk", kFolder}); });
        open(L"walk", {L"deeper", kFolder});
        open(L"deeper", {L"walk-deep.WSC", kScript});
        open(L"..", {L"walk-inner.WSC", kScript});
        open(L"deeper", {L"walk-deep.WSC", kScript});
        // The first Save in entry goes back to the top at once.
        const HWND combo = reinterpret_cast<HWND>(::SendMessageW(SaveInBox(shown), CBEM_GETCOMBOCONTROL, 0, 0));
        ::PostMessageW(combo, WM_KEYDOWN, VK_HOME, 1);
        atTopAgain = ListOnce(shown, [&](const auto& entries) { return Holds(entries, {L"walk-top.WSC", kScript}); });
        chains.push_back(test::ChainEntries(SaveInBox(shown)));
        // A click on a script puts its name into the file-name box; one on a folder does not.
        test::ClickListItem(list, test::FindListEntry(list, L"walk"), false);
        test::ClickListItem(list, test::FindListEntry(list, L"walk-top.WSC"), false);
        test::WaitUntil([&] { return ui::Control(FileNameEdit(shown)).GetText() == L"walk-top.WSC"; });
        clickedName = ui::Control(FileNameEdit(shown)).GetText();
        saveAfterClick = SaveEnabled(shown);
        test::Press(shown, IDOK);
        test::AnswerBox(test::WaitForOwnedBox(shown, L"Replace File"), IDYES);
    });
    const ChainEntry top{L"Browser main scripts", 0}, walk{L"walk", 1}, deeper{L"deeper", 2};
    const std::vector<std::vector<ChainEntry>> expectedChains = {
        {top, walk}, {top, walk, deeper}, {top, walk}, {top, walk, deeper}, {top}};
    EXPECT_EQ(chains, expectedChains);
    EXPECT_FALSE(Holds(atTopAgain, {L"..", kParent}));
    EXPECT_EQ(clickedName, L"walk-top.WSC");
    EXPECT_TRUE(saveAfterClick);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetFolder(), top_);
    // Listed twice, clicked and saved: each name is in the shared list once.
    for (const wchar_t* name : {L"walk-top.WSC", L"walk-inner.WSC", L"walk-deep.WSC"}) {
        SCOPED_TRACE(test::ToAnsi(name));
        EXPECT_EQ(TimesShared(name), 1u);
    }
    // The shell's completion was set up on the file-name box without a complaint.
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 0u) << log.Added();
}

}  // namespace
}  // namespace pelmora
