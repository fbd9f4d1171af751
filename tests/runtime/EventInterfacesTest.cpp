// The table of the two event interfaces, and their type information kept once loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "LogCapture.h"
#include "TestSupport.h"
#include "framework/com/Bstr.h"
#include "framework/win/RegKey.h"
#include "library/ProductKeyValues.h"
#include "runtime/EventInterfaces.h"
#include "runtime/Scriptlet.h"

namespace pelmora {
namespace {

TEST(EventInterfaceTable, EachEntryNamesARegisteredDispinterfaceAndItsProperty) {
    struct Case {
        const EventInterface& events;
        const wchar_t* name;
        const wchar_t* property;
    };
    const Case cases[] = {
        {BrowserEvents(), L"DWebBrowserEvents2", L"browser"},
        {WindowEvents(), L"HTMLWindowEvents", L"window"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(test::ToAnsi(c.name));
        IID fromText{};
        ASSERT_EQ(S_OK, ::CLSIDFromString(c.events.eventInterfaceId, &fromText));
        EXPECT_TRUE(IsEqualIID(fromText, c.events.eventIid)) << "the id's text and its value differ";
        EXPECT_EQ(std::wstring(c.property), c.events.propertyName);

        const com::ComPtr<ITypeInfo> typeInfo = CScriptlet::GetEventTypeInfo(c.events);
        ASSERT_TRUE(typeInfo);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, typeInfo->GetTypeAttr(&attributes));
        EXPECT_TRUE(IsEqualIID(attributes->guid, c.events.eventIid));
        EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
        typeInfo->ReleaseTypeAttr(attributes);
        com::Bstr name;
        ASSERT_EQ(S_OK, typeInfo->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr));
        EXPECT_EQ(std::wstring(c.name), name.str());
    }
}

// Points HKEY_CLASSES_ROOT of this process at an empty key, so that no type library
// can be found in the registry, and puts it back at the end.
class ClassesRootHidden {
public:
    ClassesRootHidden() {
        EXPECT_EQ(ERROR_SUCCESS, win::CreateRegKey(HKEY_CURRENT_USER, kEmptyClasses, KEY_ALL_ACCESS, empty_));
        EXPECT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CLASSES_ROOT, empty_.get()));
    }
    ~ClassesRootHidden() {
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        empty_.reset();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kEmptyClasses);
    }
    ClassesRootHidden(const ClassesRootHidden&) = delete;
    ClassesRootHidden& operator=(const ClassesRootHidden&) = delete;

private:
    static constexpr wchar_t kEmptyClasses[] = L"SOFTWARE\\Halvenne\\PelmoraTestsEmptyClasses";
    win::UniqueHKey empty_;
};

TEST(EventTypeInfoCache, TypeInformationIsLoadedOnceAndKeptUntilReleased) {
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    const com::ComPtr<ITypeInfo> loaded = CScriptlet::GetEventTypeInfo(WindowEvents());
    ASSERT_TRUE(loaded);
    {
        ClassesRootHidden hidden;
        // Kept: no registry lookup is needed any more.
        EXPECT_EQ(loaded.get(), CScriptlet::GetEventTypeInfo(WindowEvents()).get());
        EXPECT_EQ(loaded.get(), FindCachedEventTypeInfo(WindowEvents()).get());
        EXPECT_EQ("", log.NewText());

        // Let go, it must be looked up again, which fails while the registry is hidden.
        ReleaseCachedEventTypeInfo();
        EXPECT_FALSE(FindCachedEventTypeInfo(WindowEvents()));
        EXPECT_FALSE(CScriptlet::GetEventTypeInfo(WindowEvents()));
        EXPECT_NE(std::string::npos, log.NewText().find("> Can not load type library ({3050F1C5-98B5-11CF-BB82-"
                                                        "00AA00BDCE0B}). in CScriptlet::GetTypeInfo at Scriptlet"));
        EXPECT_FALSE(FindCachedEventTypeInfo(WindowEvents())) << "a failure is not kept";
    }
    // With the registry back, the next caller loads and keeps it again.
    EXPECT_TRUE(CScriptlet::GetEventTypeInfo(WindowEvents()));
    EXPECT_TRUE(FindCachedEventTypeInfo(WindowEvents()));
}

}  // namespace
}  // namespace pelmora
