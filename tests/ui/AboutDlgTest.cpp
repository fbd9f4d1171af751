// The two things the About and Help buttons open: the About box, run modally and
// answered from a second thread as a user would, and the URL of the help page.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ModalDialogDriver.h"
#include "framework/ui/ModuleVersion.h"
#include "resources/resource.h"
#include "ui/AboutDlg.h"
#include "ui/HelpUrl.h"

namespace pelmora {
namespace {

constexpr wchar_t kVersion[] = L"1.0.40325.24744";

void PostKey(HWND dialog, WPARAM key) {
    const HWND focus = test::FocusOfThread(::GetWindowThreadProcessId(dialog, nullptr));
    ::PostMessageW(focus ? focus : dialog, WM_KEYDOWN, key, 1);
}

TEST(AboutBox, ShowsNameAndVersionOnTwoLinesAndClosesAsAUserClosesIt) {
    struct Case {
        const char* how;
        std::function<void(HWND)> close;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK button", [](HWND dialog) { ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); }, IDOK},
        {"Enter", [](HWND dialog) { PostKey(dialog, VK_RETURN); }, IDOK},
        {"Escape", [](HWND dialog) { PostKey(dialog, VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    EXPECT_EQ(ui::ModuleFileVersion(ui::CurrentModuleInstance()), kVersion) << "the version resource";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        CAboutDlg about;
        EXPECT_EQ(about.AboutText(), std::wstring(L"Pelmora Tool\nVersion: ") + kVersion);
        wchar_t shownText[128] = {};
        int focusId = 0;
        INT_PTR result = 0;
        {
            test::ModalDialogDriver driver(L"About Pelmora", [&](HWND dialog) {
                ::GetDlgItemTextW(dialog, IDC_STATIC_ABOUT_TEXT, shownText, 128);
                focusId = ::GetDlgCtrlID(test::FocusOfThread(::GetWindowThreadProcessId(dialog, nullptr)));
                c.close(dialog);
            });
            result = about.DoModal();
        }
        const std::wstring shown(shownText);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(shown, about.AboutText());
        EXPECT_EQ(shown.find(L'\n'), shown.rfind(L'\n')) << "more than two lines";
        EXPECT_EQ(shown.substr(shown.find(L'\n') + 1), std::wstring(L"Version: ") + kVersion);
        EXPECT_EQ(focusId, IDOK);
        EXPECT_EQ(about.Handle(), nullptr);
    }
}

TEST(HelpPageUrl, IsTheResProtocolOverTheModulesFullPathBlanksIncluded) {
    wchar_t ownPath[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(ui::CurrentModuleInstance(), ownPath, MAX_PATH), 0u);
    EXPECT_EQ(HelpPageUrl(ui::CurrentModuleInstance()), L"res://" + std::wstring(ownPath) + L"/219");

    // Any module has its own URL: copies of a DLL in folders with blanks, and deeper
    // than MAX_PATH characters.
    test::TempDir folder;
    const std::wstring source = test::ProgramDirectory() + L"\\scriptrt.dll";
    std::wstring longFolder = folder / L"dir with blanks";
    ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    const std::wstring blanks = longFolder + L"\\Pelmora copy.dll";
    while (longFolder.size() < 300) {
        longFolder += L"\\a folder with a rather long name";
        ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    }
    const std::wstring tooLongForMaxPath = longFolder + L"\\Pelmora.dll";
    for (const std::wstring& path : {blanks, tooLongForMaxPath}) {
        SCOPED_TRACE(testing::Message() << path.size() << " characters");
        ASSERT_TRUE(::CopyFileW(source.c_str(), path.c_str(), TRUE)) << ::GetLastError();
        const HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module, nullptr) << ::GetLastError();
        EXPECT_EQ(HelpPageUrl(module), L"res://" + path + L"/219");
        ::FreeLibrary(module);
    }

    // A handle that names no module has no URL, rather than a wrong one.
    EXPECT_EQ(HelpPageUrl(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x10))), L"");
}

}  // namespace
}  // namespace pelmora
