#include <gtest/gtest.h>

#include <objbase.h>

#include "component/FakeBar.h"
#include "component/Module.h"
#include "component/PelmoraApp.h"
#include "framework/com/ComPtr.h"
#include "runtime/BarNotifications.h"
#include "runtime/EventInterfaces.h"
#include "runtime/Scriptlet.h"

namespace pelmora {
namespace {

using CountingBar = test::FakeBar;

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The application object is the process's; every test leaves it without a current bar.
class PelmoraAppTest : public ::testing::Test {
protected:
    void SetUp() override { app_.SetCurrentBar(nullptr); }
    void TearDown() override { app_.SetCurrentBar(nullptr); }

    CPelmoraApp& app_ = GetPelmoraApp();
};

TEST_F(PelmoraAppTest, CurrentBarIsHeldAndThePreviousOneReleased) {
    CountingBar first;
    CountingBar second;

    app_.SetCurrentBar(&first);
    EXPECT_EQ(first.refs, 2);

    app_.SetCurrentBar(&second);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 2);
    EXPECT_EQ(app_.GetCurrentBar().get(), &second);

    app_.SetCurrentBar(nullptr);
    EXPECT_EQ(second.refs, 1);
    EXPECT_FALSE(app_.GetCurrentBar());
}

TEST_F(PelmoraAppTest, SettingTheSameBarAgainKeepsOneReference) {
    CountingBar bar;
    app_.SetCurrentBar(&bar);
    bar.lowest = bar.refs;
    app_.SetCurrentBar(&bar);
    EXPECT_EQ(bar.refs, 2);
    EXPECT_EQ(bar.lowest, 2) << "the bar was released before it was taken again";
    EXPECT_EQ(app_.GetCurrentBar().get(), &bar);
    app_.SetCurrentBar(nullptr);
    EXPECT_EQ(bar.refs, 1);
}

TEST_F(PelmoraAppTest, CurrentBarIsHandedOutWithAReferenceForTheCaller) {
    EXPECT_FALSE(app_.GetCurrentBar());

    CountingBar bar;
    app_.SetCurrentBar(&bar);
    {
        com::ComPtr<IBarNotifications> current = app_.GetCurrentBar();
        EXPECT_EQ(current.get(), &bar);
        EXPECT_EQ(bar.refs, 3);
        com::ComPtr<IBarNotifications> again = app_.GetCurrentBar();
        EXPECT_EQ(bar.refs, 4);
    }
    EXPECT_EQ(bar.refs, 2);

    // A caller's reference outlives the bar's time as the current bar.
    com::ComPtr<IBarNotifications> kept = app_.GetCurrentBar();
    app_.SetCurrentBar(nullptr);
    EXPECT_EQ(bar.refs, 2);
    EXPECT_FALSE(app_.GetCurrentBar());
    kept.reset();
    EXPECT_EQ(bar.refs, 1);
}

TEST_F(PelmoraAppTest, ExitLetsGoOfTheCurrentBarAndTheEventTypeInformationBeforeTheStaticObjectsGo) {
    // The DLL's static objects are destroyed after the exit, the logger first; a bar
    // or type library let go later could log into a logger that is gone.
    CPelmoraApp exiting;
    CountingBar bar;
    exiting.SetCurrentBar(&bar);
    ASSERT_EQ(bar.refs, 2);
    ASSERT_TRUE(CScriptlet::GetTypeInfo(BrowserEvents()));
    ASSERT_TRUE(FindCachedEventTypeInfo(BrowserEvents()));

    exiting.ExitInstance();
    EXPECT_EQ(bar.refs, 1);
    EXPECT_FALSE(GetCurrentBarSlot());
    EXPECT_FALSE(FindCachedEventTypeInfo(BrowserEvents()));
}

TEST_F(PelmoraAppTest, SharedPropertyBagIsOneListWithAReferenceForEachCaller) {
    com::ComPtr<CPropBag> first = app_.GetSharedPropertyBag();
    ASSERT_TRUE(first);
    CPropBag* const list = first.get();
    const ULONG held = RefCount(first.get());
    EXPECT_GE(held, 2u) << "the application keeps a reference of its own";
    const LONG locks = GetPelmoraModule().GetLockCount();

    com::ComPtr<CPropBag> second = app_.GetSharedPropertyBag();
    EXPECT_EQ(second.get(), first.get());
    EXPECT_EQ(RefCount(first.get()), held + 1);
    EXPECT_EQ(GetPelmoraModule().GetLockCount(), locks) << "no second list was made";

    second.reset();
    first.reset();
    com::ComPtr<CPropBag> later = app_.GetSharedPropertyBag();
    EXPECT_EQ(later.get(), list);
    EXPECT_EQ(RefCount(later.get()), held) << "the list outlives its callers' references";
}

}  // namespace
}  // namespace pelmora
