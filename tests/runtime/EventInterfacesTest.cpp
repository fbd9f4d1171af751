// The table of the two event interfaces, and their type information kept once loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "LogCapture.h"
#include "RegisteredEvents.h"
#include "TestSupport.h"
#include "framework/win/RegKey.h"
#include "library/ProductKeyValues.h"
#include "runtime/Scriptlet.h"

namespace pelmora {
namespace {

TEST(EventInterfaceTable, TextAndValueOfEachIdNameTheSameRegisteredDispinterface) {
    for (const EventInterface* events : {&BrowserEvents(), &WindowEvents()}) {
        SCOPED_TRACE(test::ToAnsi(events->eventInterfaceId));
        IID fromText{};
        ASSERT_EQ(S_OK, ::CLSIDFromString(events->eventInterfaceId, &fromText));
        EXPECT_TRUE(IsEqualIID(fromText, events->eventIid)) << "the id's text and its value differ";
        const com::ComPtr<ITypeInfo> typeInfo = CScriptlet::GetTypeInfo(*events);
        ASSERT_TRUE(typeInfo);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, typeInfo->GetTypeAttr(&attributes));
        EXPECT_TRUE(IsEqualIID(attributes->guid, events->eventIid));
        EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
        typeInfo->ReleaseTypeAttr(attributes);
    }
    EXPECT_EQ(std::wstring(L"browser"), BrowserEvents().propertyName);
    EXPECT_EQ(std::wstring(L"window"), WindowEvents().propertyName);
}

TEST(EventTypeInfoCache, TypeInformationIsLoadedOnceAndKeptUntilReleased) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    const com::ComPtr<ITypeInfo> loaded = CScriptlet::GetTypeInfo(WindowEvents());
    ASSERT_TRUE(loaded);
    // HKEY_CLASSES_ROOT of this process made an empty key: no type library is found.
    constexpr wchar_t kEmpty[] = L"SOFTWARE\\Halvenne\\PelmoraTestsEmptyClasses";
    win::UniqueHKey empty;
    ASSERT_EQ(ERROR_SUCCESS, win::CreateRegKey(HKEY_CURRENT_USER, kEmpty, KEY_ALL_ACCESS, empty));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CLASSES_ROOT, empty.get()));

    EXPECT_EQ(loaded.get(), CScriptlet::GetTypeInfo(WindowEvents()).get()) << "kept, not looked up";
    ReleaseCachedEventTypeInfo();
    EXPECT_FALSE(FindCachedEventTypeInfo(WindowEvents()));
    EXPECT_FALSE(CScriptlet::GetTypeInfo(WindowEvents())) << "let go, it is looked up again";
    EXPECT_NE(std::string::npos, log.NewText().find("> Can not load type library (" + test::ToAnsi(test::kMshtmlLibraryId) +
                                                    "). in CScriptlet::GetTypeInfo at Scriptlet"));
    EXPECT_FALSE(FindCachedEventTypeInfo(WindowEvents())) << "a failure is not kept";

    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    empty.reset();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kEmpty);
    EXPECT_TRUE(CScriptlet::GetTypeInfo(WindowEvents()));
    EXPECT_TRUE(FindCachedEventTypeInfo(WindowEvents()));
}

}  // namespace
}  // namespace pelmora
