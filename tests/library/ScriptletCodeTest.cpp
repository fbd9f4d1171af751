#include <gtest/gtest.h>

#include <oaidl.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "FakeEventTypeInfo.h"
#include "Golden.h"
#include "MessageBoxRecorder.h"
#include "RegisteredEvents.h"
#include "TestSupport.h"
#include "framework/com/ComPtr.h"
#include "library/ScriptletCode.h"

namespace pelmora {
namespace {

using test::FakeEvent;
using test::FakeEventTypeInfo;
using test::ReadFileBytes;

// A class id written the way StringFromCLSID writes it: braced, upper case, and
// read back to the same text.
::testing::AssertionResult IsBracedUpperCaseClsid(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
        return ::testing::AssertionFailure() << "not a braced GUID: " << text;
    }
    for (char c : text) {
        if (c >= 'a' && c <= 'z') return ::testing::AssertionFailure() << "lower case in " << text;
    }
    CLSID id{};
    const std::wstring wide(text.begin(), text.end());
    if (FAILED(::CLSIDFromString(wide.c_str(), &id))) return ::testing::AssertionFailure() << "unreadable " << text;
    wchar_t again[40] = {};
    ::StringFromGUID2(id, again, 40);
    if (wide != again) return ::testing::AssertionFailure() << text << " reads back differently";
    return ::testing::AssertionSuccess();
}

// The class id text of a generated file: what stands between clsid=" and "/>.
std::string ClsidFieldOf(const std::string& file) {
    const size_t from = file.find("clsid=\"");
    const size_t to = from == std::string::npos ? from : file.find("\"/>", from);
    return to == std::string::npos ? std::string() : file.substr(from + 7, to - from - 7);
}

class ScriptGeneration : public ::testing::Test {
protected:
    // Generates a script with one property and returns the file's bytes.
    std::string Generate(ITypeInfo* typeInfo, const wchar_t* property, const std::wstring& path) {
        CScriptletCode code(typeInfo);
        code.AddProperty(property);
        EXPECT_EQ(S_OK, code.Save(path));
        return ReadFileBytes(path);
    }

    // The file against its golden one (tests/golden/), its fresh class id checked and
    // written there as zeros.
    void ExpectGolden(std::string file, const std::string& golden) {
        const std::string clsid = ClsidFieldOf(file);
        EXPECT_TRUE(IsBracedUpperCaseClsid(clsid));
        if (!clsid.empty()) file.replace(file.find(clsid), clsid.size(), "{00000000-0000-0000-0000-000000000000}");
        EXPECT_TRUE(test::MatchesGolden(golden, file));
    }

    test::TempDir dir_;
    test::MessageBoxRecorder boxes_;
};

// --- real event interfaces --------------------------------------------------------

TEST_F(ScriptGeneration, BrowserMainScriptMirrorsEveryBrowserEventThenTheBrowserProperty) {
    const auto typeInfo = test::LoadBrowserEventsTypeInfo();
    ASSERT_TRUE(typeInfo) << "SHDocVw DWebBrowserEvents2 is not registered";

    const std::string file = Generate(typeInfo.get(), L"browser", dir_ / L"main.WSC");

    ExpectGolden(file, "browser-events.WSC");  // all 41 events
    EXPECT_NE(std::string::npos, file.find("            /* Function: DocumentComplete               \r\n"
                                           "               Params [properties]: pDisp, URL\r\n"
                                           "            */\r\n"
                                           "            function DocumentComplete(Params)\r\n"
                                           "            {\r\n"
                                           "            }\r\n"));
    EXPECT_NE(std::string::npos,
              file.find("            <method name=\"BeforeNavigate2\"><parameter name=\"Params\"/></method>\r\n"));
    // Every event name begins with a capital, so the property closes both lists.
    EXPECT_NE(std::string::npos, file.find("            <property name=\"browser\"/>\r\n\r\n        </public>\r\n"));
    EXPECT_NE(std::string::npos, file.find("                browser = newValue;\r\n            }\r\n\r\n"
                                           "            ]]>\r\n"));
    EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ScriptGeneration, UrlScriptMirrorsEveryWindowEventThenTheWindowProperty) {
    const auto typeInfo = test::LoadWindowEventsTypeInfo();
    ASSERT_TRUE(typeInfo) << "MSHTML HTMLWindowEvents is not registered";

    const std::string file = Generate(typeInfo.get(), L"window", dir_ / L"site.WSC");

    ExpectGolden(file, "window-events.WSC");  // all 11 events
    EXPECT_NE(std::string::npos, file.find("            <method name=\"onload\"/>\r\n"));
    EXPECT_NE(std::string::npos, file.find("            function onload()\r\n            {\r\n            }\r\n"));
    EXPECT_NE(std::string::npos, file.find("               Params [properties]: description, url, line\r\n"));
    EXPECT_NE(std::string::npos, file.find("            <property name=\"window\"/>\r\n\r\n        </public>\r\n"));
}

TEST_F(ScriptGeneration, EachSaveMakesANewClassIdAndChangesNothingElse) {
    const auto typeInfo = test::LoadWindowEventsTypeInfo();
    ASSERT_TRUE(typeInfo);
    CScriptletCode code(typeInfo.get());
    code.AddProperty(L"window");
    ASSERT_EQ(S_OK, code.Save(dir_ / L"first.WSC"));
    ASSERT_EQ(S_OK, code.Save(dir_ / L"second.WSC"));

    std::string first = ReadFileBytes(dir_ / L"first.WSC");
    std::string second = ReadFileBytes(dir_ / L"second.WSC");
    const std::string firstId = ClsidFieldOf(first);
    const std::string secondId = ClsidFieldOf(second);
    EXPECT_TRUE(IsBracedUpperCaseClsid(firstId));
    EXPECT_NE(firstId, secondId);
    first.replace(first.find(firstId), firstId.size(), "ID");
    second.replace(second.find(secondId), secondId.size(), "ID");
    EXPECT_EQ(first, second);
}

TEST_F(ScriptGeneration, SavingOverALongerFileReplacesItsWholeContent) {
    const std::wstring path = dir_ / L"old.WSC";
    test::WriteFileBytes(path, std::string(20000, 'x'));
    FakeEventTypeInfo typeInfo(std::vector<FakeEvent>{{L"Ping", {}}});

    const std::string file = Generate(&typeInfo, L"browser", path);

    ExpectGolden(file, "one-event.WSC");
}

// --- member table rules -------------------------------------------------------------

TEST_F(ScriptGeneration, InterfaceWithoutEventsGivesOnlyThePropertyAndItsAccessors) {
    FakeEventTypeInfo typeInfo(std::vector<FakeEvent>{});
    const std::string file = Generate(&typeInfo, L"browser", dir_ / L"empty.WSC");
    ExpectGolden(file, "no-events.WSC");
    EXPECT_NE(std::string::npos, file.find("        <public>\r\n            <property name=\"browser\"/>\r\n\r\n"
                                           "        </public>\r\n"));
}

TEST_F(ScriptGeneration, MembersFollowOrdinalOrderWithCapitalsFirstAndPrefixesBeforeLongerNames) {
    const std::vector<FakeEvent> events = {
        {L"onload", {}}, {L"Beta", {L"x"}}, {L"ab", {}}, {L"Alpha", {L"y"}}, {L"a", {L"z"}}, {L"Zed", {}}};
    FakeEventTypeInfo typeInfo(events);

    const std::string file = Generate(&typeInfo, L"browser", dir_ / L"order.WSC");

    ExpectGolden(file, "member-order.WSC");
    const std::vector<std::string> order = {"Alpha", "Beta", "Zed", "a", "ab", "browser", "onload"};
    auto publicLine = [](const std::string& name) { return "name=\"" + name + "\""; };
    auto bodyStart = [](const std::string& name) {
        return name == "browser" ? "var browser;" : "function " + name + "(";
    };
    size_t lastPublic = 0;
    size_t lastBody = 0;
    for (const std::string& name : order) {
        const size_t inPublic = file.find(publicLine(name));
        const size_t inBody = file.find(bodyStart(name));
        ASSERT_NE(std::string::npos, inPublic) << name;
        ASSERT_NE(std::string::npos, inBody) << name;
        EXPECT_GT(inPublic, lastPublic) << name << " out of order in the public section";
        EXPECT_GT(inBody, lastBody) << name << " out of order in the script body";
        lastPublic = inPublic;
        lastBody = inBody;
    }
}

TEST_F(ScriptGeneration, ParameterCommentListsOneNameAloneAndKeepsAtMostNineteen) {
    std::vector<std::wstring> many;
    for (int i = 1; i <= 25; ++i) many.push_back(L"p" + std::to_wstring(i));
    const std::vector<FakeEvent> events = {{L"Single", {L"only"}}, {L"Crowded", many}};
    FakeEventTypeInfo typeInfo(events);

    const std::string file = Generate(&typeInfo, L"browser", dir_ / L"params.WSC");

    ExpectGolden(file, "parameters.WSC");
    EXPECT_NE(std::string::npos, file.find("               Params [properties]: only\r\n"));
    EXPECT_NE(std::string::npos, file.find(", p18, p19\r\n"));
    EXPECT_EQ(std::string::npos, file.find("p20"));
    EXPECT_NE(std::string::npos,
              file.find("            <method name=\"Crowded\"><parameter name=\"Params\"/></method>\r\n"));
}

// --- unreadable type information ---------------------------------------------------

TEST_F(ScriptGeneration, UnreadableInterfaceWritesNothingAndReturnsItsError) {
    FakeEventTypeInfo typeInfo(std::vector<FakeEvent>{{L"Ping", {}}});
    typeInfo.typeAttrResult = TYPE_E_INVALIDSTATE;
    const std::wstring path = dir_ / L"none.WSC";
    {
        CScriptletCode code(&typeInfo);
        code.AddProperty(L"browser");
        EXPECT_EQ(TYPE_E_INVALIDSTATE, code.Save(path));
    }
    EXPECT_FALSE(test::FileExists(path));
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_EQ(1, typeInfo.refs);
}

TEST_F(ScriptGeneration, OneUnreadableEventFailsTheSaveWhereverItStands) {
    for (size_t broken = 0; broken < 3; ++broken) {
        std::vector<FakeEvent> events = {{L"First", {L"a"}}, {L"Second", {}}, {L"Third", {L"b", L"c"}}};
        if (broken == 1) {
            events[broken].namesResult = E_OUTOFMEMORY;
        } else {
            events[broken].funcDescResult = TYPE_E_ELEMENTNOTFOUND;
        }
        const HRESULT expected = broken == 1 ? E_OUTOFMEMORY : TYPE_E_ELEMENTNOTFOUND;
        FakeEventTypeInfo typeInfo(events);
        const std::wstring path = dir_ / (L"partial" + std::to_wstring(broken) + L".WSC");
        {
            CScriptletCode code(&typeInfo);
            code.AddProperty(L"browser");
            EXPECT_EQ(expected, code.Save(path)) << "broken event " << broken;
            // The readable events are still collected: only the file is withheld.
            EXPECT_EQ(3u, code.Members().size()) << "broken event " << broken;
        }
        EXPECT_FALSE(test::FileExists(path)) << "broken event " << broken;
        EXPECT_EQ(0, typeInfo.typeAttrsOut);
        EXPECT_EQ(0, typeInfo.funcDescsOut);
        EXPECT_EQ(1, typeInfo.refs);
    }
}

}  // namespace
}  // namespace pelmora
