// The dialog templates of the configuration form (104) and the About box (217): the
// template bytes against their tables.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "DialogTemplate.h"
#include "framework/ui/ApplicationBase.h"
#include "resources/resource.h"

namespace pelmora {
namespace {

struct ControlRow {
    int id;
    const wchar_t* className;
    DWORD style;
    const wchar_t* text;
    short x, y, cx, cy;
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kGroupBox = kShown | BS_GROUPBOX;
constexpr DWORD kPushButton = kShown | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheckTree = kShown | WS_TABSTOP | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                             TVS_SHOWSELALWAYS | TVS_CHECKBOXES;

const ControlRow kFormControls[] = {
    {-1, L"Button", kGroupBox, L"Browser main scripts (implement DWebBrowserEvents2 interface):", 7, 3, 246, 141},
    {209, L"SysTreeView32", kCheckTree, L"", 7, 16, 246, 105},
    {211, L"Button", kPushButton, L"New", 145, 125, 50, 14},
    {212, L"Button", kPushButton, L"Delete", 199, 125, 50, 14},
    {-1, L"Button", kGroupBox, L"URL scripts (implement HTMLWindowEvents interface): ", 7, 151, 246, 162},
    {208, L"SysTreeView32", kCheckTree, L"", 7, 184, 246, 105},
    {217, L"Button", kPushButton, L"New", 11, 164, 50, 14},
    {213, L"Button", kPushButton, L"Delete", 199, 293, 50, 14},
    {219, L"Button", kPushButton, L"About", 142, 437, 50, 14},
    {218, L"Button", kPushButton, L"Help", 196, 437, 50, 14},
    {221, L"Static", kShown | SS_LEFTNOWORDWRAP, L"", 66, 166, 180, 12},
    {222, L"ListBox", kShown | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOSEL | LBS_NOINTEGRALHEIGHT, L"",
     7, 332, 246, 94},
    {-1, L"Button", kGroupBox, L"Attached scripts:", 7, 319, 246, 114},
};

const ControlRow kAboutControls[] = {
    {220, L"Static", kShown | WS_GROUP | SS_CENTER, L"", 19, 18, 147, 39},
    {IDOK, L"Button", kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, L"OK", 67, 63, 50, 14},
};

struct TemplateRow {
    UINT id;
    DWORD style;
    const wchar_t *caption, *typeface;
    short cx, cy;
    const ControlRow* controls;
    size_t controlCount;
};

const TemplateRow kTemplates[] = {
    {IDD_CONFIGWSC2, DS_SETFONT | WS_CHILD | WS_BORDER, L"", L"MS Sans Serif", 260, 459, kFormControls,
     std::size(kFormControls)},
    {IDD_ABOUTBOX, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"About Pelmora", L"MS Shell Dlg",
     186, 89, kAboutControls, std::size(kAboutControls)},
};

bool SameClass(const std::wstring& a, const wchar_t* b) { return ::lstrcmpiW(a.c_str(), b) == 0; }

TEST(DialogTemplates, MatchTheirTablesInTemplateOrder) {
    for (const TemplateRow& row : kTemplates) {
        SCOPED_TRACE(testing::Message() << "template " << row.id);
        const test::DialogTemplate read = test::ReadDialogTemplate(ui::CurrentModuleInstance(), row.id);
        ASSERT_TRUE(read.valid);
        EXPECT_EQ(read.dialog.style, row.style);
        EXPECT_EQ(read.dialog.exStyle, 0u);
        EXPECT_TRUE(read.dialog.cx == row.cx && read.dialog.cy == row.cy);
        EXPECT_EQ(read.dialog.text, row.caption);
        EXPECT_TRUE(read.menu.empty() && read.dialog.className.empty());
        EXPECT_EQ(read.typeface, row.typeface);
        EXPECT_EQ(read.pointSize, 8);
        ASSERT_EQ(read.controls.size(), row.controlCount);
        for (size_t i = 0; i < row.controlCount; ++i) {
            const ControlRow& expected = row.controls[i];
            const test::TemplateItem& control = read.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " (id " << expected.id << ")");
            EXPECT_EQ(control.id, expected.id);
            EXPECT_TRUE(SameClass(control.className, expected.className));
            EXPECT_EQ(control.style, expected.style) << std::hex << (control.style ^ expected.style) << " differ";
            EXPECT_EQ(control.exStyle, 0u);
            EXPECT_EQ(control.text, expected.text);
            EXPECT_TRUE(control.x == expected.x && control.y == expected.y && control.cx == expected.cx &&
                        control.cy == expected.cy);
        }
    }
}

}  // namespace
}  // namespace pelmora
