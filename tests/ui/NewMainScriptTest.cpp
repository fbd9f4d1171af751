// The form's New command for browser main scripts, from a press of its button through
// the real Save Script As dialog (answered from a second thread) to the written file
// and the rebuilt trees with the new script selected.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

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
        mainDirectory_ = GetMainScriptDirectory();
        ASSERT_TRUE(::CreateDirectoryW((mainDirectory_ + L"\\news").c_str(), nullptr));
        for (const wchar_t* name : {L"\\a.WSC", L"\\news\\c.WSC"}) test::WriteFileBytes(mainDirectory_ + name, "x");
        frame_ = ::CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, 20, 20, 460, 800, nullptr, nullptr,
                                   nullptr, nullptr);
        const HWND band = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 440, 780, frame_, nullptr,
                                            nullptr, nullptr);
        auto* form = new CConfigWSC2();
        if (!form->CreateInParent(band)) {
            delete form;
            FAIL() << "no form";
        }
        form_ = form;
        ::ShowWindow(form_->Handle(), SW_SHOW);
        test::PumpPending();
    }
    void TearDown() override { ::DestroyWindow(frame_); }  // takes the form with it

    HWND Tree(int id) const { return ::GetDlgItem(form_->Handle(), id); }
    HTREEITEM MainItem(const std::wstring& path) const {
        return form_->Store().GetMainTree().FindItemByPath(nullptr, path);
    }
    std::wstring UrlTreeCaption() const {
        wchar_t caption[128] = {};
        ::GetDlgItemTextW(form_->Handle(), CConfigWSC2::kUrlTreeCaption, caption, 128);
        return caption;
    }
    // Presses New; the dialog it opens is answered by answer. The press returns when
    // the command has ended.
    void PressNew(const std::function<void(HWND)>& answer) {
        test::ModalDialogDriver driver(L"Save Script As", answer);
        ::SendMessageW(::GetDlgItem(form_->Handle(), CConfigWSC2::kNewMainScriptButton), BM_CLICK, 0, 0);
        EXPECT_TRUE(driver.found());
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir location_;
    std::wstring mainDirectory_;
    HWND frame_ = nullptr;
    CConfigWSC2* form_ = nullptr;
};

// Types name into the shown dialog and saves.
std::function<void(HWND)> TypeAndSave(const std::wstring& name, std::wstring* chainEnd = nullptr) {
    return [=](HWND dialog) {
        if (chainEnd) {
            const auto chain = test::ChainEntries(::GetDlgItem(dialog, IDC_COMBO_SAVE_IN));
            *chainEnd = chain.empty() ? L"" : chain.back().text;
        }
        test::TypeInto(ui::ComboBoxEx(::GetDlgItem(dialog, IDC_COMBO_FILE_NAME)).GetEditControl(), name);
        test::Press(dialog, IDOK);
    };
}

TEST_F(NewMainScriptTest, NewScriptIsWrittenWhereTheSelectionIsAndSelectedInTheRebuiltTree) {
    struct Case {
        const wchar_t* selected;  // empty: nothing selected
        const wchar_t* typed;
        const wchar_t* shownFolder;
        const wchar_t* created;
    };
    const Case cases[] = {
        {L"", L"fresh", L"Browser main scripts", L"fresh.WSC"},
        {L"news", L"daily", L"news", L"news\\daily.WSC"},
        {L"news\\c.WSC", L"later.wsc", L"news", L"news\\later.wsc"},
    };
    test::LogCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(test::ToAnsi(c.created));
        const ui::TreeView mainTree(Tree(kMainScriptTreeId));
        if (*c.selected) {
            ASSERT_TRUE(mainTree.SelectItem(MainItem(c.selected)));
        } else {
            mainTree.SelectItem(nullptr);
        }
        test::PumpPending();
        std::wstring shownFolder;
        PressNew(TypeAndSave(c.typed, &shownFolder));
        test::PumpPending();
        EXPECT_EQ(shownFolder, c.shownFolder);

        const std::wstring path = mainDirectory_ + L"\\" + c.created;
        const std::string written = test::ReadFileBytes(path);
        EXPECT_NE(written.find("<property name=\"browser\"/>"), std::string::npos) << written;
        EXPECT_NE(written.find("function DocumentComplete(Params)"), std::string::npos);
        const HTREEITEM item = MainItem(c.created);
        ASSERT_TRUE(item) << "the rebuilt tree lists the new script";
        EXPECT_EQ(mainTree.GetSelectedItem(), item);
        EXPECT_FALSE(form_->Store().GetMainTree().IsItemChecked(item));
        const std::wstring key = L"\\" + std::wstring(c.created);
        EXPECT_EQ(UrlTreeCaption(), L"for \"" + key + L"\"");
        EXPECT_TRUE(test::DirectoryExists(GetUrlScriptDirectory() + key)) << "its URL-script folder";
        EXPECT_EQ(ui::TreeView(Tree(kUrlScriptTreeId)).GetCount(), 0u);
    }
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 0u) << log.Added();
}

TEST_F(NewMainScriptTest, CancelOrAFileTheGeneratorCannotWriteLeavesTheTreesAsTheyWere) {
    // A folder with the script's name: the user agrees to replace it, the generator cannot.
    ASSERT_TRUE(::CreateDirectoryW((mainDirectory_ + L"\\blocked.WSC").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((mainDirectory_ + L"\\blocked.WSC\\inside").c_str(), nullptr));
    const ui::TreeView mainTree(Tree(kMainScriptTreeId));
    const HTREEITEM selected = MainItem(L"a.WSC");
    ASSERT_TRUE(mainTree.SelectItem(selected));
    test::PumpPending();
    const UINT count = mainTree.GetCount();

    PressNew([](HWND dialog) {
        test::TypeInto(ui::ComboBoxEx(::GetDlgItem(dialog, IDC_COMBO_FILE_NAME)).GetEditControl(), L"never");
        test::Press(dialog, IDCANCEL);
    });
    EXPECT_FALSE(test::FileExists(mainDirectory_ + L"\\never.WSC"));
    EXPECT_EQ(mainTree.GetSelectedItem(), selected) << "the tree was not rebuilt";
    EXPECT_EQ(mainTree.GetCount(), count);

    test::LogCapture log;
    std::wstring errorText;
    PressNew([&](HWND dialog) {
        TypeAndSave(L"blocked")(dialog);
        test::AnswerBox(test::WaitForOwnedBox(dialog, L"Replace File"), IDYES);
        const HWND box = test::WaitForDialog(test::ThreadOf(dialog), L"Pelmora");
        errorText = box ? test::MessageBoxText(box) : L"(no box)";
        test::AnswerBox(box, IDOK);
    });
    EXPECT_EQ(errorText.rfind(mainDirectory_ + L"\\blocked.WSC\n", 0), 0u) << test::ToAnsi(errorText);
    EXPECT_EQ(test::CountOf(log.Added(), "<ERROR"), 1u) << log.Added();
    EXPECT_EQ(test::CountOf(log.Added(), " file (" + test::ToAnsi(mainDirectory_) + "\\blocked.WSC)."), 1u);
    EXPECT_TRUE(test::DirectoryExists(mainDirectory_ + L"\\blocked.WSC\\inside"));
    EXPECT_EQ(mainTree.GetSelectedItem(), selected) << "the tree was not rebuilt";
}

}  // namespace
}  // namespace pelmora
