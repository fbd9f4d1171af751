// The Save Script As dialog run modally and answered from a second thread as a user
// would; then the disk, the shared autocomplete list and the dialog's results are read.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlguid.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "FolderLink.h"
#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/com/GuidText.h"
#include "framework/win/UniqueHandle.h"
#include "library/ProductKeyValues.h"
#include "ui/DialogAnswers.h"
#include "ui/SaveScriptAsDlg.h"
#include "ui/SharedPropertyBag.h"

namespace pelmora {
namespace {

using test::Entries;
constexpr int kScript = CSaveScriptAsDlg::kScriptImage;
constexpr int kFolder = CSaveScriptAsDlg::kFolderImage;
constexpr int kParent = CSaveScriptAsDlg::kParentImage;

size_t TimesShared(const std::wstring& name) {
    com::ComPtr<IEnumString> names;
    if (FAILED(GetSharedPropertyBagSlot()->Clone(names.put()))) return 0;
    names->Reset();
    size_t times = 0;
    LPOLESTR entry = nullptr;
    ULONG fetched = 0;
    while (names->Next(1, &entry, &fetched) == S_OK) {
        times += name == entry;
        ::CoTaskMemFree(entry);
    }
    return times;
}

HWND List(HWND dialog) { return ::GetDlgItem(dialog, IDC_LIST_FOLDER_ENTRIES); }
HWND Chain(HWND dialog) { return ::GetDlgItem(dialog, IDC_COMBO_SAVE_IN); }
HWND NameEdit(HWND dialog) { return ui::ComboBoxEx(::GetDlgItem(dialog, IDC_COMBO_FILE_NAME)).GetEditControl(); }
bool SaveEnabled(HWND dialog) { return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE; }
bool Holds(const Entries& entries, const std::wstring& text, int image) {
    return std::find(entries.begin(), entries.end(), std::pair{text, image}) != entries.end();
}
// The list once it holds the entry.
Entries ListWith(HWND dialog, const std::wstring& text, int image) {
    Entries entries;
    test::WaitUntil([&] { return Holds(entries = test::ListEntries(List(dialog)), text, image); });
    return entries;
}

class SaveScriptAsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr);
    }
    void TearDown() override { ::DestroyWindow(owner_); }

    void Make(std::initializer_list<const wchar_t*> folders, std::initializer_list<const wchar_t*> files) {
        for (const wchar_t* name : folders) ASSERT_TRUE(::CreateDirectoryW((top_ + name).c_str(), nullptr));
        for (const wchar_t* name : files) test::WriteFileBytes(top_ + name, "x");
    }
    // Runs the dialog from start; answer gets it once it is shown.
    INT_PTR Run(const std::wstring& start, const std::function<void(HWND)>& answer) {
        dialog_.emplace(owner_);
        dialog_->SetFolders(top_, start);
        test::ModalDialogDriver driver(L"Save Script As", [&](HWND shown) {
            test::WaitUntil([&] { return ::IsWindowVisible(shown) != FALSE; });
            answer(shown);
        });
        return dialog_->DoModal();
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir folder_;
    const std::wstring top_ = folder_.path();
    HWND owner_ = nullptr;
    std::optional<CSaveScriptAsDlg> dialog_;
};

TEST_F(SaveScriptAsDlgTest, ListsScriptsAndFoldersWalksTheChainAndOffersEachNameOnce) {
    Make({L"\\walk", L"\\walk\\deeper"}, {L"\\walk-top.WSC", L"\\walk\\a.WsC", L"\\walk\\b.txt", L"\\walk\\.wsc",
                                          L"\\walk\\deeper\\walk-deep.WSC"});
    // A link back up the tree is not offered: opening it would lead round in circles.
    const test::FolderLink loop(top_ + L"\\walk\\loop", top_);
    ASSERT_TRUE(loop.Made());
    // Nor a name that a path would turn into its sibling's: "trail." opens as "trail".
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + top_ + L"\\walk\\trail.").c_str(), nullptr));
    Entries first, deep, top;
    std::vector<Entries> chains;
    bool saveWhileEmpty = true;
    std::wstring clicked;
    test::LogCapture log;
    const INT_PTR result = Run(top_ + L"\\walk", [&](HWND dialog) {
        first = ListWith(dialog, L"a.WsC", kScript);
        saveWhileEmpty = SaveEnabled(dialog);
        const auto open = [&](const std::wstring& entry, const std::wstring& then, int image) {
            chains.push_back(test::ComboEntries(Chain(dialog)));
            test::ClickListItem(List(dialog), entry, true);
            return ListWith(dialog, then, image);
        };
        deep = open(L"deeper", L"walk-deep.WSC", kScript);
        open(L"..", L"a.WsC", kScript);
        open(L"deeper", L"walk-deep.WSC", kScript);
        chains.push_back(test::ComboEntries(Chain(dialog)));
        // Home in the Save in box chooses "Browser main scripts", the top folder.
        const auto combo = reinterpret_cast<HWND>(::SendMessageW(Chain(dialog), CBEM_GETCOMBOCONTROL, 0, 0));
        ::PostMessageW(combo, WM_KEYDOWN, VK_HOME, 1);
        top = ListWith(dialog, L"walk-top.WSC", kScript);
        chains.push_back(test::ComboEntries(Chain(dialog)));
        // A click on a folder names nothing; one on a script names it.
        test::ClickListItem(List(dialog), L"walk", false);
        test::ClickListItem(List(dialog), L"walk-top.WSC", false);
        test::WaitUntil([&] { return SaveEnabled(dialog); });
        clicked = ui::Control(NameEdit(dialog)).GetText();
        test::Press(dialog, IDOK);
        test::AnswerBox(test::WaitForBox(dialog, L"Replace File"), IDYES);
    });
    // The entries come in the file system's order, with ".." only below the top folder.
    EXPECT_EQ(first.size(), 3u);
    EXPECT_FALSE(Holds(first, L"loop", kFolder));
    EXPECT_TRUE(Holds(first, L"..", kParent) && Holds(first, L"deeper", kFolder));
    EXPECT_EQ(deep, (Entries{{L"..", kParent}, {L"walk-deep.WSC", kScript}}));
    EXPECT_EQ(top.size(), 2u);
    EXPECT_TRUE(Holds(top, L"walk", kFolder));
    const std::pair<std::wstring, int> root{L"Browser main scripts", 0}, walk{L"walk", 1}, deeper{L"deeper", 2};
    EXPECT_EQ(chains, (std::vector<Entries>{{root, walk}, {root, walk, deeper}, {root, walk}, {root, walk, deeper},
                                            {root}}));
    EXPECT_FALSE(saveWhileEmpty);
    EXPECT_EQ(clicked, L"walk-top.WSC");
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog_->GetFolder(), top_);
    for (const wchar_t* name : {L"walk-top.WSC", L"a.WsC", L"walk-deep.WSC"}) {
        EXPECT_EQ(TimesShared(name), 1u) << "listed twice, clicked and saved: " << test::ToAnsi(name);
    }
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 0u) << "the shell's completion is set up: " << log.Added();
}

TEST_F(SaveScriptAsDlgTest, SavedNameEndsInTheExtensionAndAnExistingFileIsReplacedOnlyAfterYes) {
    Make({L"\\sub"}, {L"\\sub\\old.WSC"});
    struct Case {
        const wchar_t *typed, *saved;
        bool exists;
    };
    for (const Case& c : {Case{L"news", L"news.WSC", false}, Case{L"news.wsc", L"news.wsc", false},
                          Case{L"news.txt", L"news.txt.WSC", false}, Case{L"old", L"old.WSC", true}}) {
        SCOPED_TRACE(test::ToAnsi(c.typed));
        std::wstring question, shownAfterNo;
        const INT_PTR result = Run(top_ + L"\\sub", [&](HWND dialog) {
            test::TypeInto(NameEdit(dialog), c.typed);
            test::Press(dialog, IDOK);
            if (!c.exists) return;
            question = test::AnswerBox(test::WaitForBox(dialog, L"Replace File"), IDNO);
            ::Sleep(100);
            shownAfterNo = ::IsWindowVisible(dialog) ? ui::Control(NameEdit(dialog)).GetText() : L"(closed)";
            test::Press(dialog, IDOK);
            test::AnswerBox(test::WaitForBox(dialog, L"Replace File"), IDYES);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dialog_->GetFileName(), c.saved);
        EXPECT_EQ(dialog_->GetFolder(), top_ + L"\\sub");
        EXPECT_EQ(TimesShared(c.saved), 1u);
        if (!c.exists) continue;
        EXPECT_EQ(question, L"File \"old.WSC\" already exists.\n\nDo you want to replace it?");
        EXPECT_EQ(shownAfterNo, L"old.WSC");
        EXPECT_EQ(test::ReadFileBytes(top_ + L"\\sub\\old.WSC"), "x") << "the dialog writes nothing";
    }
}

TEST_F(SaveScriptAsDlgTest, NamesThatLeaveTheFolderOrThatWindowsRefusesAreRefusedWithTheDialogOpenAndNothingMoved) {
    Make({L"\\sub", L"\\sub\\folder"}, {L"\\sub\\keep.WSC", L"\\sub\\long-named-script.WSC"});
    // The short alias of an existing script names that script, not a new one.
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetShortPathNameW((top_ + L"\\sub\\long-named-script.WSC").c_str(), shortPath, MAX_PATH));
    const std::wstring alias = std::wcsrchr(shortPath, L'\\') + 1;
    ASSERT_NE(alias, L"long-named-script.WSC");
    enum Where { kSave, kRenameScript, kRenameFolder };
    struct Case {
        const wchar_t* name;
        Where where;
    };
    // Besides paths, names with a character Windows refuses in file names.
    const Case cases[] = {{L"..\\out", kSave},  {L"..", kSave},          {L"a/b", kSave},
                          {L"d:rel", kSave},    {L"con", kSave},         {L"..\\out", kRenameScript},
                          {L".", kRenameScript}, {L"..", kRenameFolder}, {L"c:\\out", kRenameFolder},
                          {L"all*", kSave},     {L"why?", kSave},        {L"<tag>", kSave},
                          {L"a|b", kSave},      {L"say \"hi\"", kSave},  {L"pipe|d", kRenameScript},
                          {L"wild?", kRenameFolder}, {alias.c_str(), kSave},
                          {L"   ", kSave},        {L"  ", kRenameScript}};
    const std::wstring sub = top_ + L"\\sub";
    std::vector<std::wstring> boxes;
    bool open = false;
    test::LogCapture log;
    const INT_PTR result = Run(sub, [&](HWND dialog) {
        ListWith(dialog, L"keep.WSC", kScript);
        for (const Case& c : cases) {
            if (!::IsWindow(dialog)) break;  // a name was taken
            if (c.where == kSave) {
                test::TypeInto(NameEdit(dialog), c.name);
                test::Press(dialog, IDOK);
            } else {
                test::EditLabel(List(dialog), c.where == kRenameScript ? L"keep.WSC" : L"folder", c.name);
            }
            boxes.push_back(test::AnswerBox(test::WaitForBox(dialog, L"Error"), IDOK));
        }
        open = ::IsWindowVisible(dialog) != FALSE;
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(boxes[i], c.name == alias ? L"File name \"" + alias + L"\" is another name of \"long-named-script.WSC\"."
                            : c.where == kSave           ? L"Invalid file name \"" + std::wstring(c.name) + L"\""
                            : c.where == kRenameScript ? L"Can not rename file. \"" + sub + L"\\keep.WSC\""
                                                       : L"Can not rename directory. \"" + sub + L"\\folder\"");
    }
    EXPECT_TRUE(test::FileExists(sub + L"\\keep.WSC") && test::DirectoryExists(sub + L"\\folder"));
    EXPECT_EQ(test::ReadFileBytes(sub + L"\\long-named-script.WSC"), "x");
    EXPECT_FALSE(test::FileExists(top_ + L"\\out.WSC") || test::DirectoryExists(L"c:\\out"));
    EXPECT_EQ(test::CountOf(log.Added(), "Can not rename "), 7u);
}

TEST_F(SaveScriptAsDlgTest, StartOutsideTheTopShowsTheTopAndTheParentEntryCannotBeRenamed) {
    Make({L"\\inner"}, {});
    Entries atStart;
    HWND parentEdit = nullptr;
    Run(top_ + L"-sibling", [&](HWND dialog) {
        atStart = ListWith(dialog, L"inner", kFolder);
        test::ClickListItem(List(dialog), L"inner", true);
        ListWith(dialog, L"..", kParent);
        ::SendMessageW(List(dialog), LVM_EDITLABELW, test::FindListEntry(List(dialog), L".."), 0);
        parentEdit = ui::ListView(List(dialog)).GetEditControl();
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(atStart, (Entries{{L"inner", kFolder}}));
    EXPECT_EQ(parentEdit, nullptr);
}

TEST_F(SaveScriptAsDlgTest, NewFolderTakesTheFirstFreeNumberAndRenamesStayAfterCancel) {
    Make({L"\\New Folder", L"\\New Folder (0)"}, {L"\\a.WSC", L"\\taken.WSC"});
    std::wstring editing, clash;
    Entries after;
    test::LogCapture log;
    const INT_PTR result = Run(top_, [&](HWND dialog) {
        ListWith(dialog, L"a.WSC", kScript);
        test::Press(dialog, IDC_BUTTON_NEW_FOLDER);
        // The new folder's label is edited without another click; a folder keeps the
        // text as typed, a script gets the extension.
        test::WaitUntil([&] { return ui::ListView(List(dialog)).GetEditControl() != nullptr; });
        editing = ui::Control(ui::ListView(List(dialog)).GetEditControl()).GetText();
        test::EditLabel(List(dialog), L"", L"scripts");
        ListWith(dialog, L"scripts", kFolder);
        test::EditLabel(List(dialog), L"a.WSC", L"report");
        ListWith(dialog, L"report.WSC", kScript);
        test::EditLabel(List(dialog), L"report.WSC", L"taken.WSC");
        clash = test::AnswerBox(test::WaitForBox(dialog, L"Error"), IDOK);
        after = ListWith(dialog, L"report.WSC", kScript);
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(editing, L"New Folder (1)");
    EXPECT_TRUE(test::DirectoryExists(top_ + L"\\scripts") && !test::DirectoryExists(top_ + L"\\New Folder (1)"));
    EXPECT_TRUE(test::FileExists(top_ + L"\\report.WSC") && !test::FileExists(top_ + L"\\a.WSC"));
    EXPECT_TRUE(Holds(after, L"taken.WSC", kScript) && Holds(after, L"scripts", kFolder));
    EXPECT_EQ(clash, L"Can not rename file. \"" + top_ + L"\\report.WSC\"");
    EXPECT_EQ(test::CountOf(log.Added(), "Can not rename file. current path: " + test::ToAnsi(top_) +
                                             "\\report.WSC, new path: " + test::ToAnsi(top_) + "\\taken.WSC"),
              1u);
}

// Another program deletes the shown folder: New is reported and changes nothing, and
// a folder that cannot be searched lists nothing under its whole chain.
TEST_F(SaveScriptAsDlgTest, AFolderGoneFromDiskListsNothingUnderItsChainAndNewThereIsReportedNotMade) {
    Make({L"\\sub", L"\\sub\\doomed"}, {L"\\sub\\keep.WSC"});
    const std::wstring sub = top_ + L"\\sub";
    Entries afterNew, gone, chain;
    HWND editing = nullptr;
    std::string record;
    test::LogCapture log;
    const INT_PTR result = Run(sub, [&](HWND dialog) {
        ListWith(dialog, L"keep.WSC", kScript);
        test::RemoveTree(sub);
        test::Press(dialog, IDC_BUTTON_NEW_FOLDER);
        test::WaitUntil([&] { return !(record = log.Added()).empty(); });
        ::Sleep(100);  // an edit of the new folder's label would have begun
        editing = ui::ListView(List(dialog)).GetEditControl();
        afterNew = test::ListEntries(List(dialog));
        std::sort(afterNew.begin(), afterNew.end());  // the file system's order is its own
        test::ClickListItem(List(dialog), L"doomed", true);
        test::WaitUntil([&] { return (chain = test::ComboEntries(Chain(dialog))).size() == 3; });
        gone = test::ListEntries(List(dialog));
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(test::CountOf(record, "<ERROR(3)> Can not create directory. \"" + test::ToAnsi(sub) +
                                        "\\New Folder (0)\" in CSaveScriptAsDlg::OnNew"),
              1u)
        << record;
    EXPECT_EQ(editing, nullptr);
    EXPECT_EQ(afterNew, (Entries{{L"..", kParent}, {L"doomed", kFolder}, {L"keep.WSC", kScript}}))
        << "the list is not read again";
    EXPECT_FALSE(test::DirectoryExists(sub));
    EXPECT_EQ(chain, (Entries{{L"Browser main scripts", 0}, {L"sub", 1}, {L"doomed", 2}}));
    EXPECT_TRUE(gone.empty());
}

TEST_F(SaveScriptAsDlgTest, RenamingAScriptAnotherProgramHoldsOpenIsReportedAndKeepsItsName) {
    Make({}, {L"\\held.WSC"});
    const std::wstring held = top_ + L"\\held.WSC";
    std::wstring box;
    Entries after;
    test::LogCapture log;
    {
        const win::UniqueFileHandle open(
            ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(open.valid());
        Run(top_, [&](HWND dialog) {
            ListWith(dialog, L"held.WSC", kScript);
            test::EditLabel(List(dialog), L"held.WSC", L"free");
            box = test::AnswerBox(test::WaitForBox(dialog, L"Error"), IDOK);
            ::Sleep(100);
            after = test::ListEntries(List(dialog));
            test::Press(dialog, IDCANCEL);
        });
    }
    EXPECT_EQ(box, L"Can not rename file. \"" + held + L"\"");
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR(32)> Can not rename file. current path: " + test::ToAnsi(held) +
                                             ", new path: " + test::ToAnsi(top_) + "\\free.WSC in "),
              1u)
        << log.Added();
    EXPECT_EQ(after, (Entries{{L"held.WSC", kScript}}));
    EXPECT_TRUE(test::FileExists(held) && !test::FileExists(top_ + L"\\free.WSC"));
}

// The shell's AutoComplete class cannot be made (treated, for this test only, as a class
// nobody registered): one record says so, and the dialog works without completion.
TEST_F(SaveScriptAsDlgTest, WithoutTheShellsAutoCompleteTheDialogStillSavesAndTheLogSaysWhy) {
    const std::wstring treatAsKey =
        L"CLSID\\" + std::wstring(com::BracedGuidText(CLSID_AutoComplete).text) + L"\\TreatAs";
    const wchar_t* const treatAs = treatAsKey.c_str();
    const test::ScopedRegistryKey restored(HKEY_CLASSES_ROOT, treatAs);
    const std::wstring nobody = L"{6E0C5B1A-93D2-4B7F-A0C4-5D1E2F3A4B5C}";
    ASSERT_EQ(::RegSetValueW(HKEY_CLASSES_ROOT, treatAs, REG_SZ, nobody.c_str(),
                             static_cast<DWORD>((nobody.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    test::LogCapture log;
    const INT_PTR result = Run(top_, [&](HWND dialog) {
        test::TypeInto(NameEdit(dialog), L"plain");
        test::Press(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog_->GetFileName(), L"plain.WSC");
    const std::string added = log.Added();
    EXPECT_EQ(test::CountOf(added, "Can not create AutoComplete COM object. in CSaveScriptAsDlg::OnShowWindow"), 1u)
        << added;
    EXPECT_EQ(test::CountOf(added, "<ERROR"), 1u) << added;
}

}  // namespace
}  // namespace pelmora
