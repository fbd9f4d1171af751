// The form's New command for browser main scripts: a press of its button, the real
// Save Script As dialog answered from a second thread, then the written file and the
// rebuilt trees.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "ui/ConfigWSC2.h"
#include "ui/DialogAnswers.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

class NewMainScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductString("ScriptLocation", REG_SZ, test::ToAnsi(location_.path())));
        main_ = GetMainScriptDirectory();
        ASSERT_TRUE(::CreateDirectoryW((main_ + L"\\news").c_str(), nullptr));
        for (const wchar_t* name : {L"\\a.WSC", L"\\news\\c.WSC"}) test::WriteFileBytes(main_ + name, "x");
        frame_ = ::CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, 20, 20, 460, 800, nullptr, nullptr,
                                   nullptr, nullptr);
        auto* form = new CConfigWSC2();
        ASSERT_TRUE(form->CreateInParent(frame_));  // the frame's window owns it from here on
        form_ = form;
        ::ShowWindow(form_->Handle(), SW_SHOW);
        test::PumpPending();
    }
    void TearDown() override { ::DestroyWindow(frame_); }

    HTREEITEM MainItem(const std::wstring& path) const { return form_->Store().GetMainTree().FindItemByPath(nullptr, path); }
    // Presses New and answers Save Script As with name (Cancel for none); returns the
    // last entry of its Save in box when the command has ended.
    std::wstring PressNew(const std::wstring& name, const std::function<void(HWND)>& more = {}) {
        std::wstring shownFolder;
        test::ModalDialogDriver driver(L"Save Script As", [&](HWND dialog) {
            test::WaitUntil([&] { return ::IsWindowVisible(dialog) != FALSE; });
            shownFolder = test::ComboEntries(::GetDlgItem(dialog, IDC_COMBO_SAVE_IN)).back().first;
            test::TypeInto(ui::ComboBoxEx(::GetDlgItem(dialog, IDC_COMBO_FILE_NAME)).GetEditControl(), name);
            test::Press(dialog, name.empty() ? IDCANCEL : IDOK);
            if (more) more(dialog);
        });
        ::SendMessageW(::GetDlgItem(form_->Handle(), IDC_BUTTON_NEW_IE_WSC), BM_CLICK, 0, 0);
        test::PumpPending();
        return shownFolder;
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir location_;
    std::wstring main_;
    HWND frame_ = nullptr;
    CConfigWSC2* form_ = nullptr;
};

TEST_F(NewMainScriptTest, NewScriptIsWrittenWhereTheSelectionIsAndSelectedInTheRebuiltTree) {
    struct Case {
        const wchar_t *selected, *typed, *shownFolder, *created;
    };
    const Case cases[] = {
        {L"", L"fresh", L"Browser main scripts", L"fresh.WSC"},
        {L"news", L"daily", L"news", L"news\\daily.WSC"},
        {L"news\\c.WSC", L"later.wsc", L"news", L"news\\later.wsc"},
    };
    test::LogCapture log;
    const ui::TreeView tree(::GetDlgItem(form_->Handle(), IDC_TREE_IE_WSC));
    for (const Case& c : cases) {
        SCOPED_TRACE(test::ToAnsi(c.created));
        tree.SelectItem(*c.selected ? MainItem(c.selected) : nullptr);
        EXPECT_EQ(PressNew(c.typed), c.shownFolder);
        const std::string written = test::ReadFileBytes(main_ + L"\\" + c.created);
        EXPECT_NE(written.find("<property name=\"browser\"/>"), std::string::npos) << written;
        EXPECT_NE(written.find("function DocumentComplete(Params)"), std::string::npos);
        ASSERT_TRUE(MainItem(c.created)) << "the rebuilt tree lists it";
        EXPECT_EQ(tree.GetSelectedItem(), MainItem(c.created));
        EXPECT_FALSE(form_->Store().GetMainTree().IsItemChecked(MainItem(c.created)));
        // Selecting it showed its URL scripts: none yet, in the folder made for them.
        const std::wstring key = L"\\" + std::wstring(c.created);
        wchar_t caption[128] = {};
        ::GetDlgItemTextW(form_->Handle(), IDC_STATIC_URL_WSC_OWNER, caption, 128);
        EXPECT_EQ(caption, L"for \"" + key + L"\"");
        EXPECT_TRUE(test::DirectoryExists(GetUrlScriptDirectory() + key));
        EXPECT_EQ(ui::TreeView(::GetDlgItem(form_->Handle(), IDC_TREE_URL_WSC)).GetCount(), 0u);
    }
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 0u) << log.Added();
}

TEST_F(NewMainScriptTest, CancelOrAFileTheGeneratorCannotWriteLeavesTheTreeAsItWas) {
    // A folder with the new script's name: replacing it is agreed to but cannot be done.
    ASSERT_TRUE(::CreateDirectoryW((main_ + L"\\blocked.WSC").c_str(), nullptr));
    const ui::TreeView tree(::GetDlgItem(form_->Handle(), IDC_TREE_IE_WSC));
    const HTREEITEM selected = MainItem(L"a.WSC");
    ASSERT_TRUE(tree.SelectItem(selected));
    PressNew(L"");
    EXPECT_EQ(tree.GetSelectedItem(), selected) << "not rebuilt after Cancel";

    test::LogCapture log;
    std::wstring error;
    PressNew(L"blocked", [&](HWND dialog) {
        test::AnswerBox(test::WaitForBox(dialog, L"Replace File"), IDYES);
        // The generator's own box, owned by whichever window is active then.
        HWND box = nullptr;
        const DWORD ui = ::GetWindowThreadProcessId(dialog, nullptr);
        test::WaitUntil([&] { return !::IsWindow(dialog) && (box = bandhost::FindDialog(ui, L"Pelmora")); });
        error = test::AnswerBox(box, IDOK);
    });
    EXPECT_EQ(error.rfind(main_ + L"\\blocked.WSC\n", 0), 0u) << test::ToAnsi(error);
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 1u) << log.Added();
    EXPECT_TRUE(test::DirectoryExists(main_ + L"\\blocked.WSC"));
    // The folder made above appears (the form follows the script folder), and the
    // selection stays where it was.
    EXPECT_EQ(form_->Store().GetMainTree().GetItemKey(tree.GetSelectedItem()), L"\\a.WSC")
        << "nothing new selected after the generator's failure";
}

}  // namespace
}  // namespace pelmora
