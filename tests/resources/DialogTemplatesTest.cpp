// The dialog templates of the configuration form (104), the About box (217) and the
// Save Script As dialog (222): the compiled templates against their golden dump, the
// live form as the dialog manager lays it out from its template, its tab order, and a
// screenshot of the form for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "Golden.h"
#include "TestSupport.h"
#include "bandhost/Screenshot.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/FormView.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/StaticText.h"
#include "framework/ui/TreeView.h"
#include "resources/resource.h"
#include "ui/ImageLists.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

test::DialogTemplate ReadTemplate(UINT id) { return test::ReadDialogTemplate(ui::CurrentModuleInstance(), id); }

// A style as the names of its window bits (all sixteen), then the class's low word.
std::string StyleText(DWORD style) {
    static const char* const kHighBits[] = {"TABSTOP", "GROUP",   "THICKFRAME", "SYSMENU",      "HSCROLL", "VSCROLL",
                                            "DLGFRAME", "BORDER", "MAXIMIZE",   "CLIPCHILDREN", "CLIPSIBLINGS",
                                            "DISABLED", "VISIBLE", "MINIMIZE",  "CHILD",        "POPUP"};
    std::ostringstream text;
    for (int bit = 15; bit >= 0; --bit) {
        if (style & (0x10000ul << bit)) text << "WS_" << kHighBits[bit] << "|";
    }
    text << "0x" << std::hex << (style & 0xFFFF);
    return text.str();
}

// The dialog or one control: its text, place, size and styles.
std::string DumpItem(const test::TemplateItem& item) {
    std::ostringstream line;
    line << " \"" << test::GoldenText(item.text) << "\" at " << item.x << "," << item.y << " size " << item.cx << "x"
         << item.cy << " style " << StyleText(item.style) << " exstyle 0x" << std::hex << item.exStyle;
    return line.str();
}

TEST(DialogTemplates, MatchTheirGoldenDump) {
    std::string dump;
    for (UINT id : {IDD_CONFIGWSC2, IDD_ABOUTBOX, IDD_SAVE_SCRIPT_AS}) {
        const test::DialogTemplate read = ReadTemplate(id);
        EXPECT_TRUE(read.valid) << "template " << id;
        dump += "dialog " + std::to_string(id) + DumpItem(read.dialog) + " menu \"" + test::GoldenText(read.menu) +
                "\" class \"" + test::GoldenText(read.dialog.className) + "\" font " +
                std::to_string(read.pointSize) + " \"" + test::GoldenText(read.typeface) + "\"\n";
        for (const test::TemplateItem& control : read.controls) {
            dump += "    " + std::to_string(control.id) + " " + test::GoldenText(control.className) +
                    DumpItem(control) + "\n";
        }
        dump += "\n";
    }
    EXPECT_TRUE(test::MatchesGolden("dialog-templates.txt", dump));
}

bool SameClass(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

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

TEST(ConfigurationForm, LiveControlsStandWhereTheTemplateSaysAndTabWalksThemInTemplateOrder) {
    const test::DialogTemplate read = ReadTemplate(IDD_CONFIGWSC2);
    ASSERT_TRUE(read.valid);
    FormHost host;
    ASSERT_NE(host.form(), nullptr);
    const HWND form = host.form()->Handle();
    HWND child = ::GetWindow(form, GW_CHILD);
    for (size_t i = 0; i < read.controls.size(); ++i, child = ::GetWindow(child, GW_HWNDNEXT)) {
        const test::TemplateItem& row = read.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << row.id << ")");
        ASSERT_NE(child, nullptr);
        wchar_t className[64] = {}, text[128] = {};
        ::GetClassNameW(child, className, 64);
        ::GetWindowTextW(child, text, 128);
        EXPECT_EQ(::GetDlgCtrlID(child), row.id);
        EXPECT_TRUE(SameClass(className, row.className));
        EXPECT_EQ(text, row.text);
        EXPECT_TRUE(::IsWindowVisible(child) && ::IsWindowEnabled(child));
        RECT expected{row.x, row.y, row.x + row.cx, row.y + row.cy}, actual{};
        ASSERT_TRUE(::MapDialogRect(form, &expected));
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(std::abs(actual.left - expected.left) <= 1 && std::abs(actual.top - expected.top) <= 1 &&
                    std::abs(actual.right - expected.right) <= 1 && std::abs(actual.bottom - expected.bottom) <= 1)
            << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template";
    LOGFONTW font{};
    ASSERT_GT(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(form, WM_GETFONT, 0, 0)), sizeof(font), &font), 0);
    EXPECT_EQ(font.lfFaceName, read.typeface);

    // Tab as the host's message loop hands it over: the tab stops in template order,
    // from the first round to it again.
    std::vector<int> tabStops;
    for (const test::TemplateItem& control : read.controls) {
        if (control.style & WS_TABSTOP) tabStops.push_back(control.id);
    }
    ASSERT_EQ(tabStops.size(), 9u);
    ::SetFocus(host.item(tabStops.front()));
    std::vector<int> walked;
    for (size_t step = 0; step < tabStops.size(); ++step) {
        MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001, static_cast<DWORD>(::GetMessageTime()), {}};
        EXPECT_TRUE(host.form()->PreTranslateMessage(tab));
        walked.push_back(::GetDlgCtrlID(::GetFocus()));
    }
    std::rotate(tabStops.begin(), tabStops.begin() + 1, tabStops.end());
    EXPECT_EQ(walked, tabStops);
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

    bandhost::Picture shot;
    ASSERT_EQ(bandhost::CaptureWindow(host.window(), shot), S_OK);
    const std::wstring path = test::ProgramDirectory() + L"\\..\\form-104-screenshot.png";
    EXPECT_EQ(bandhost::WritePng(shot, path), S_OK);
    EXPECT_TRUE(test::FileExists(path));
    for (const test::TemplateItem& row : ReadTemplate(IDD_CONFIGWSC2).controls) {
        if (row.id == -1 || row.id == IDC_STATIC_URL_WSC_OWNER) continue;
        SCOPED_TRACE(testing::Message() << "control " << row.id);
        RECT area{};
        ::GetWindowRect(host.item(row.id), &area);
        std::set<COLORREF> colours;  // the host sits at the screen's top left
        for (int y = area.top; y < area.bottom && y < static_cast<int>(shot.height); ++y) {
            for (int x = area.left; x < area.right && x < static_cast<int>(shot.width); ++x)
                colours.insert(bandhost::ColourAt(shot, x, y));
        }
        // A face, a frame and text or items: never one flat colour.
        EXPECT_GE(colours.size(), 3u);
    }
}

}  // namespace
}  // namespace pelmora
