// Window scriptlets unloading under a window whose connection point, as Internet
// Explorer promises nothing else, holds no reference to a sink while it calls it: the
// last references of a scriptlet go while it is inside its own onunload call.
#include <gtest/gtest.h>

#include <mshtmdid.h>

#include <memory>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "component/FakeBar.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"
#include "runtime/FakeEventSource.h"
#include "runtime/IEBrowserScriptlet.h"
#include "runtime/ScriptEditing.h"

namespace pelmora {
namespace {

class AllCheckedUrlTree final : public IUrlScriptTree {
public:
    explicit AllCheckedUrlTree(std::wstring directory) : directory_(std::move(directory)) {}
    const std::wstring& GetDirectory() const override { return directory_; }
    bool IsScriptChecked(const std::wstring&) const override { return true; }

private:
    std::wstring directory_;
};

// A URL script whose onunload tells the window it ran.
void WriteUrlScript(const std::wstring& path, const std::string& tag) {
    test::WriteGeneratedScript(test::LoadWindowEventsTypeInfo(), L"window", path,
                               {{"onunload", "window.Unloaded = (window.Unloaded || '') + '" + tag + " ';"}});
}

TEST(WindowUnload, SiteAndPageScriptletsLeaveTheWindowAndStillHearTheirOnunload) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    test::TempDir root;
    test::FakeBar bar;
    SetCurrentBarSlot(&bar);
    struct ClearBar { ~ClearBar() { SetCurrentBarSlot(nullptr); } } clearBar;
    const std::wstring site = L"\\h.example.WSC";
    const std::wstring page = L"\\h.example\\index.html.WSC";
    ASSERT_TRUE(::CreateDirectoryW((root / L"h.example").c_str(), nullptr));
    WriteUrlScript(root.path() + site, "site");
    WriteUrlScript(root.path() + page, "page");
    test::FakeEventSource window{WindowEvents().eventIid};
    {
        com::ComPtr<CIEBrowserScriptlet> owner(
            new CIEBrowserScriptlet(std::make_shared<AllCheckedUrlTree>(root.path()), root.path(), L"\\main.WSC"));
        ASSERT_EQ(S_OK, owner->AttachWindowScriptlet(site, com::ComPtr<IHTMLWindow2>(window.AsWindow())));
        ASSERT_EQ(S_OK, owner->AttachWindowScriptlet(page, com::ComPtr<IHTMLWindow2>(window.AsWindow())));
        ASSERT_EQ(2u, window.Connections());
        bar.events.clear();
        const std::string before = log.Added();

        // The site scriptlet's unload takes both out of the registry and detaches
        // itself; the page scriptlet then detaches itself in its own call.
        DISPPARAMS none{};
        EXPECT_EQ(S_OK, window.Fire(DISPID_HTMLWINDOWEVENTS_ONUNLOAD, &none));

        EXPECT_EQ(L"site page ", test::StringOf(window[L"Unloaded"]));
        EXPECT_EQ(0u, window.Connections());
        EXPECT_EQ(0u, owner->GetWindowScriptletCount());
        const std::wstring label = std::wstring(L"detached ") + WindowEvents().eventInterfaceId;
        EXPECT_EQ((std::vector<std::wstring>{label + site, label + page}), bar.events);
        EXPECT_EQ(before, log.Added()) << "nothing was logged";
    }
    // The scriptlets and their scripts went with the call: nothing holds the window.
    EXPECT_EQ(1, window.References());
}

}  // namespace
}  // namespace pelmora
