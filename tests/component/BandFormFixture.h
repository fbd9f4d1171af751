#pragma once
// The configuration form in the band of a frame, as the browser shows it, with main
// scripts that announce themselves: the fixture of the tests that drive the form
// through its real controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "component/BandSite.h"
#include "component/IEBar.h"
#include "core/Logger.h"
#include "framework/com/Bstr.h"
#include "framework/ui/TreeView.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptLocation.h"
#include "library/ScriptletCode.h"
#include "runtime/EventTestSupport.h"
#include "runtime/ScriptEditing.h"
#include "ui/ConfigWSC2.h"
#include "ui/UiTestSupport.h"

namespace pelmora::test {

using com::ComPtr;

inline ComPtr<IDeskBand> MakeBar() {
    ComPtr<IDeskBand> bar;
    EXPECT_EQ(S_OK, CreateIEBar(nullptr, IID_IDeskBand, bar.put_void()));
    return bar;
}

inline CIEBar* BarObject(const ComPtr<IDeskBand>& band) { return static_cast<CIEBar*>(band.get()); }

// The lines of the form's "Attached scripts:" list.
inline std::vector<std::wstring> AttachedEntries(HWND form) {
    std::vector<std::wstring> entries;
    const HWND list = ::GetDlgItem(form, IDC_LIST_ATTACHED_WSC);
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        entries.push_back(text);
    }
    return entries;
}

// The form in a band of a frame, with main scripts that announce themselves.
class BandFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, WriteProductString("ScriptLocation", REG_SZ, ToAnsi(location.path())));
        ASSERT_EQ(ERROR_SUCCESS, WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING));
        mainDirectory = GetMainScriptDirectory();
        ASSERT_NO_FATAL_FAILURE(SetUpScripts());
        site->bandWindow = frame.band;
        site->browser = browser;
        browser->DescribePage({L"http://h.example/index.html", L"Index", {}, true});
    }
    void TearDown() override {
        if (bar) (void)bar->CloseDW(0);
        bar.reset();
    }

    // The main scripts a.WSC, b.WSC and news\c.WSC, in the main-script folder made anew.
    void SetUpScripts() {
        ::CreateDirectoryW(mainDirectory.c_str(), nullptr);
        ASSERT_TRUE(::CreateDirectoryW((mainDirectory + L"\\news").c_str(), nullptr));
        for (const wchar_t* name : {L"\\a.WSC", L"\\b.WSC", L"\\news\\c.WSC"}) WriteMainScript(name);
    }

    void WriteMainScript(const std::wstring& name) {
        const auto events = LoadBrowserEventsTypeInfo();
        ASSERT_TRUE(events);
        CScriptletCode code(events.get());
        code.AddProperty(L"browser");
        const std::wstring path = mainDirectory + name;
        ASSERT_EQ(S_OK, code.Save(path));
        WriteFileBytes(path, WithBody(ReadFileBytes(path), "DocumentComplete",
                                                  "browser.Document.parentWindow.alert('main complete');"));
    }

    // A site script of the main script with that key, for h.example.
    void WriteSiteScript(const std::wstring& mainKey) {
        const std::wstring folder = GetUrlScriptDirectory() + mainKey;
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        CScriptletCode code(LoadWindowEventsTypeInfo().get());
        code.AddProperty(L"window");
        ASSERT_EQ(S_OK, code.Save(folder + L"\\h.example.WSC"));
    }

    // Sites the bar, which makes the form, and shows it.
    void Show() {
        bar = MakeBar();
        ComPtr<IObjectWithSite> withSite;
        ASSERT_EQ(S_OK, bar.As(withSite));
        ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IOleWindow*>(site.get())));
        ASSERT_TRUE(Form());
        ASSERT_EQ(S_OK, bar->ShowDW(TRUE));
        PumpPending();
    }
    CConfigWSC2* Form() const { return BarObject(bar)->Form(); }
    HWND Control(int id) const { return ::GetDlgItem(Form()->Handle(), id); }
    // Goes to the page as the user does and lets the form hear of it.
    void Navigate(const wchar_t* page = L"http://h.example/index.html") {
        com::Bstr url(page);
        ASSERT_EQ(S_OK, browser->Navigate(url.get(), nullptr, nullptr, nullptr, nullptr));
        PumpPending();
    }
    HTREEITEM UrlItem(const std::wstring& path) const {
        const auto& model = Form()->Store().GetCurrentUrlTree();
        return model ? model->FindItemByPath(nullptr, path) : nullptr;
    }
    int MarkOf(int treeId, HTREEITEM item) const {
        return ui::StateImageIndexOf(ui::TreeView(Control(treeId)).GetItemState(item, TVIS_STATEIMAGEMASK));
    }
    bool Enabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
    HTREEITEM MainItem(const std::wstring& path) const {
        return Form()->Store().GetMainTree().FindItemByPath(nullptr, path);
    }

    // Clicks the item's check box as the user does and waits for the form to apply it.
    // A folder's mark only flickers: then the click is given time to be handled instead.
    void ClickCheckBox(int treeId, HTREEITEM item, bool markMoves = true) {
        const HWND tree = Control(treeId);
        RECT rect{};
        ASSERT_TRUE(ui::TreeView(tree).GetItemRect(item, rect, true));
        POINT point{rect.left - 16 - 8, (rect.top + rect.bottom) / 2};
        POINT screen = point;
        ::ClientToScreen(tree, &screen);
        ASSERT_TRUE(MovePointerTo(screen));
        const UINT before = ui::TreeView(tree).GetItemState(item, TVIS_STATEIMAGEMASK);
        ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        ::PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        if (!markMoves) {
            PumpFor(500);
            return;
        }
        ASSERT_TRUE(PumpUntil([&] { return ui::TreeView(tree).GetItemState(item, TVIS_STATEIMAGEMASK) != before; }));
        PumpFor(100);
    }
    void PressSpace(int treeId, HTREEITEM item) {
        const HWND tree = Control(treeId);
        ui::TreeView(tree).SelectItem(item);
        ::SetFocus(tree);
        ::PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
        ::PostMessageW(tree, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
        PumpFor(200);
    }

    ScopedRegistryKey productKey{HKEY_CURRENT_USER, kProductKeyForTests};
    TempDir location;
    std::wstring mainDirectory;
    BandFrame frame;
    ComPtr<browser::WebBrowser> browser = browser::CreateWebBrowser(frame.frame);
    ComPtr<BandSite> site = MakeBandSite();
    ComPtr<IDeskBand> bar;
};

}  // namespace pelmora::test
