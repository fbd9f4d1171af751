// The dialog templates of the configuration form (104), the About box (217) and the
// Save Script As dialog (222): the template bytes against their tables, the live form
// as the dialog manager lays it out, its tab order, and a screenshot of the form for a
// person to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "TestSupport.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/FormView.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/ScreenshotPng.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/TreeView.h"
#include "resources/resource.h"
#include "ui/ImageLists.h"
#include "ui/UiTestSupport.h"

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

const ControlRow kSaveScriptAsControls[] = {
    {-1, L"Static", kShown | WS_GROUP | SS_LEFT, L"Save in:", 9, 17, 27, 8},
    {223, L"ComboBoxEx32", kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, L"", 54, 15, 153, 90},
    {228, L"Button", kPushButton, L"New", 219, 15, 50, 14},
    {230, L"SysListView32", kShown | WS_TABSTOP | WS_BORDER | LVS_LIST | LVS_EDITLABELS | LVS_ALIGNLEFT, L"", 7, 35,
     262, 113},
    {-1, L"Static", kShown | WS_GROUP | SS_LEFT, L"File name:", 9, 159, 34, 8},
    {226, L"ComboBoxEx32", kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, L"", 55, 157, 153, 30},
    {IDOK, L"Button", kShown | WS_TABSTOP | BS_DEFPUSHBUTTON, L"Save", 219, 156, 50, 14},
    {IDCANCEL, L"Button", kPushButton, L"Cancel", 219, 173, 50, 14},
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
    {IDD_SAVE_SCRIPT_AS, DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Save Script As",
     L"MS Shell Dlg", 276, 201, kSaveScriptAsControls, std::size(kSaveScriptAsControls)},
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

class PlainForm final : public ui::FormView {
public:
    PlainForm() : FormView(ui::CurrentModuleInstance(), IDD_CONFIGWSC2) {}

private:
    bool HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

// A shown form on template 104 at its own size, alone in a top-level window.
class FormHost {
public:
    FormHost() {
        host_ = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 900, nullptr, nullptr,
                                  nullptr, nullptr);
        auto* form = new PlainForm();
        if (!form->Create(host_, RECT{0, 0, 600, 900}, IDD_CONFIGWSC2, WS_CHILD | WS_VISIBLE)) {
            delete form;
            return;
        }
        form_ = form;
        RECT size{0, 0, 260, 459};
        ::MapDialogRect(form->Handle(), &size);
        ::SetWindowPos(form->Handle(), nullptr, 0, 0, size.right, size.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(host_, nullptr, 0, 0, size.right, size.bottom, SWP_NOMOVE | SWP_NOZORDER);
        ::SetForegroundWindow(host_);
    }
    ~FormHost() { ::DestroyWindow(host_); }  // takes the form with it
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    [[nodiscard]] HWND window() const { return host_; }
    [[nodiscard]] ui::FormView* form() const { return form_; }
    [[nodiscard]] HWND item(int id) const { return ::GetDlgItem(form_->Handle(), id); }

private:
    HWND host_ = nullptr;
    ui::FormView* form_ = nullptr;
};

TEST(ConfigurationForm, LiveControlsStandWhereTheTableSaysAndTabWalksThemInTemplateOrder) {
    FormHost host;
    ASSERT_NE(host.form(), nullptr);
    const HWND form = host.form()->Handle();
    HWND child = ::GetWindow(form, GW_CHILD);
    for (size_t i = 0; i < std::size(kFormControls); ++i, child = ::GetWindow(child, GW_HWNDNEXT)) {
        const ControlRow& row = kFormControls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << row.id << ")");
        ASSERT_NE(child, nullptr);
        wchar_t className[64] = {}, text[128] = {};
        ::GetClassNameW(child, className, 64);
        ::GetWindowTextW(child, text, 128);
        EXPECT_EQ(::GetDlgCtrlID(child), row.id);
        EXPECT_TRUE(SameClass(className, row.className));
        EXPECT_STREQ(text, row.text);
        EXPECT_TRUE(::IsWindowVisible(child) && ::IsWindowEnabled(child));
        RECT expected{row.x, row.y, row.x + row.cx, row.y + row.cy}, actual{};
        ASSERT_TRUE(::MapDialogRect(form, &expected));
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(std::abs(actual.left - expected.left) <= 1 && std::abs(actual.top - expected.top) <= 1 &&
                    std::abs(actual.right - expected.right) <= 1 && std::abs(actual.bottom - expected.bottom) <= 1)
            << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    EXPECT_EQ(child, nullptr) << "more controls than the table";
    LOGFONTW font{};
    ASSERT_GT(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form, WM_GETFONT, 0, 0)), sizeof(font), &font), 0);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");

    // Tab as the host's message loop hands it over: the tab stops in template order.
    ::SetFocus(host.item(IDC_TREE_IE_WSC));
    std::vector<int> walked;
    for (int step = 0; step < 9; ++step) {
        MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001, static_cast<DWORD>(::GetMessageTime()), {}};
        EXPECT_TRUE(host.form()->PreTranslateMessage(tab));
        walked.push_back(::GetDlgCtrlID(::GetFocus()));
    }
    EXPECT_EQ(walked, (std::vector<int>{211, 212, 208, 217, 213, 219, 218, 222, 209}));
    MSG foreign{host.window(), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_FALSE(host.form()->PreTranslateMessage(foreign)) << "not the form's message";
}

TEST(ConfigurationForm, ScreenshotShowsEveryButtonTreeAndListDrawn) {
    // The icons and marks the script trees use, in the order the tree models add them.
    CImageLists lists;
    for (int icon : {IDI_SCRIPT, IDI_WINDOW, IDI_FOLDER_CLOSED, IDI_GLOBE}) lists.AddIcon(IMAGE_LIST_NORMAL, icon);
    for (int mark : {IDI_BLANK, IDI_CHECK_FOLDER_CLEAR, IDI_CHECK_FOLDER_MARKED, IDI_CHECK_UNCHECKED,
                     IDI_CHECK_CHECKED}) {
        lists.AddIcon(IMAGE_LIST_STATE, mark);
    }
    const auto image = [&](int icon) { return lists.IndexOf(IMAGE_LIST_NORMAL, icon); };
    const auto mark = [&](int icon) { return ui::StateImageBits(lists.IndexOf(IMAGE_LIST_STATE, icon)); };

    FormHost host;
    ASSERT_NE(host.form(), nullptr);
    // A little of what the band shows in use, so the picture can be judged.
    const ui::TreeView mainTree(host.item(IDC_TREE_IE_WSC));
    const ui::TreeView urlTree(host.item(IDC_TREE_URL_WSC));
    for (const ui::TreeView& tree : {mainTree, urlTree}) {
        tree.SetImageList(lists.GetList(IMAGE_LIST_NORMAL)->Get(), TVSIL_NORMAL);
        tree.SetImageList(lists.GetList(IMAGE_LIST_STATE)->Get(), TVSIL_STATE);
    }
    const HTREEITEM folder = mainTree.AppendItem(nullptr, L"news", image(IDI_FOLDER_CLOSED),
                                                 mark(IDI_CHECK_FOLDER_MARKED), TVIS_STATEIMAGEMASK);
    mainTree.AppendItem(folder, L"daily.WSC", image(IDI_SCRIPT), mark(IDI_CHECK_CHECKED), TVIS_STATEIMAGEMASK);
    const HTREEITEM hello = mainTree.AppendItem(nullptr, L"hello.WSC", image(IDI_SCRIPT), mark(IDI_CHECK_UNCHECKED),
                                                TVIS_STATEIMAGEMASK);
    mainTree.Expand(folder, TVE_EXPAND);
    mainTree.SelectItem(hello);
    const HTREEITEM site = urlTree.AppendItem(nullptr, L"www.example.com", image(IDI_GLOBE),
                                              mark(IDI_CHECK_FOLDER_CLEAR), TVIS_STATEIMAGEMASK);
    urlTree.AppendItem(site, L"index.html.WSC", image(IDI_SCRIPT), mark(IDI_CHECK_UNCHECKED), TVIS_STATEIMAGEMASK);
    urlTree.Expand(site, TVE_EXPAND);
    ui::StaticText(host.form()->Handle(), IDC_STATIC_URL_WSC_OWNER).SetText(L"for \"\\hello.WSC\"");
    ui::ListBox(host.form()->Handle(), IDC_LIST_ATTACHED_WSC)
        .AddString(L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}C:\\scripts\\IE\\hello.WSC");
    ::RedrawWindow(host.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    test::PumpFor(300);

    const test::Screenshot shot(host.window());
    ASSERT_FALSE(shot.pixels.empty());
    const std::wstring path = test::ProgramDirectory() + L"\\..\\form-104-screenshot.png";
    EXPECT_EQ(shot.SavePng(path), S_OK);
    EXPECT_TRUE(test::FileExists(path));
    for (const ControlRow& row : kFormControls) {
        if (row.id == -1 || row.id == IDC_STATIC_URL_WSC_OWNER) continue;
        SCOPED_TRACE(testing::Message() << "control " << row.id);
        RECT area{};
        ::GetWindowRect(host.item(row.id), &area);
        std::set<DWORD> colours;  // the host sits at the screen's top left
        for (int y = area.top; y < area.bottom && y < shot.height; ++y) {
            for (int x = area.left; x < area.right && x < shot.width; ++x) colours.insert(shot.pixels[y * shot.width + x]);
        }
        // A face, a frame and text or items: never one flat colour.
        EXPECT_GE(colours.size(), 3u);
    }
}

}  // namespace
}  // namespace pelmora
