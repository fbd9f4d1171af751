// Window scriptlets unloading under a window that, as Internet Explorer makes no
// promise otherwise, holds no reference to a sink while it calls it: the last
// references of a scriptlet go while the scriptlet is inside its own onunload call.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "TestSupport.h"
#include "component/FakeBar.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/BarNotifications.h"
#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"
#include "runtime/FakeEventSource.h"
#include "runtime/IEBrowserScriptlet.h"
#include "runtime/ScriptEditing.h"
#include "runtime/UrlScriptTree.h"

namespace pelmora {
namespace {

constexpr DISPID kDispidOnUnload = 1008;
const std::wstring kSiteKey = L"\\h.example.WSC";
const std::wstring kPageKey = L"\\h.example\\index.html.WSC";

// A URL tree in which every script is checked.
class AllCheckedUrlTree final : public IUrlScriptTree {
public:
    explicit AllCheckedUrlTree(std::wstring directory) : directory_(std::move(directory)) {}
    const std::wstring& GetDirectory() const override { return directory_; }
    bool IsScriptChecked(const std::wstring&) const override { return true; }

private:
    std::wstring directory_;
};

class WindowUnloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING));
        SetCurrentBarSlot(&bar);
        ASSERT_TRUE(::CreateDirectoryW((root / L"h.example").c_str(), nullptr));
        // Each script tells the window it heard its onunload.
        WriteUrlScript(kSiteKey, "window.Unloaded = (window.Unloaded ? window.Unloaded : '') + 'site ';");
        WriteUrlScript(kPageKey, "window.Unloaded = (window.Unloaded ? window.Unloaded : '') + 'page ';");
        owner = com::ComPtr<CIEBrowserScriptlet>(
            new CIEBrowserScriptlet(std::make_shared<AllCheckedUrlTree>(root.path()), root.path(), L"\\main.WSC"));
    }
    void TearDown() override { SetCurrentBarSlot(nullptr); }

    void WriteUrlScript(const std::wstring& key, const std::string& onunload) {
        const com::ComPtr<ITypeInfo> events = test::LoadWindowEventsTypeInfo();
        ASSERT_TRUE(events);
        CScriptletCode code(events.get());
        code.AddProperty(L"window");
        ASSERT_EQ(S_OK, code.Save(root.path() + key));
        test::WriteFileBytes(root.path() + key,
                             test::WithBody(test::ReadFileBytes(root.path() + key), "onunload", onunload));
    }

    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    test::TempDir root;
    test::FakeBar bar;
    test::FakeEventSource window{WindowEvents().eventIid};
    com::ComPtr<CIEBrowserScriptlet> owner;
};

TEST_F(WindowUnloadTest, SiteAndPageScriptletsLeaveTheWindowAndStillHearTheirOnunload) {
    ASSERT_EQ(S_OK, owner->AttachWindowScriptlet(kSiteKey, com::ComPtr<IHTMLWindow2>(window.AsWindow())));
    ASSERT_EQ(S_OK, owner->AttachWindowScriptlet(kPageKey, com::ComPtr<IHTMLWindow2>(window.AsWindow())));
    ASSERT_EQ(2u, owner->GetWindowScriptletCount());
    ASSERT_EQ(2u, window.Connections());
    bar.events.clear();
    const std::string before = log.Added();

    // The site scriptlet's unload takes both out of the registry and detaches itself;
    // the page scriptlet then detaches itself in its own call.
    DISPPARAMS none{};
    EXPECT_EQ(S_OK, window.Fire(kDispidOnUnload, &none));

    EXPECT_EQ(L"site page ", test::StringOf(window[L"Unloaded"]));
    EXPECT_EQ(0u, window.Connections());
    EXPECT_EQ(0u, owner->GetWindowScriptletCount());
    const std::wstring windowEvents = WindowEvents().eventInterfaceId;
    EXPECT_EQ((std::vector<std::wstring>{L"detached " + windowEvents + kSiteKey, L"detached " + windowEvents + kPageKey}),
              bar.events);
    EXPECT_EQ(before, log.Added()) << "nothing was logged";
    // Both scriptlets and their scripts are gone with the call: nothing holds the window.
    EXPECT_EQ(1, window.References());
}

}  // namespace
}  // namespace pelmora
