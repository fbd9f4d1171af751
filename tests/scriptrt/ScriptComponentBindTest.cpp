// Binding "script:" names: what a good file yields and how each kind of bad file fails.
#include <gtest/gtest.h>

#include <set>

#include "ScriptBinding.h"
#include "devhost/scriptrt/ScriptRuntimeErrors.h"

namespace pelmora::test {
namespace {

using com::ComPtr;
using com::Variant;

class ScriptComponentBind : public ::testing::Test {
protected:
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = dir_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    HRESULT BindFile(const std::wstring& name, const std::string& bytes) {
        ComPtr<IDispatch> object;
        const HRESULT hr = BindScript(Write(name, bytes), object);
        EXPECT_EQ(object.get() != nullptr, SUCCEEDED(hr));
        return hr;
    }

    TempDir dir_;
};

const std::string kEmptyFunctionBody = JoinCrLf({"            function Ping()", "            {",
                                                 "                return \"pong\";", "            }"});

TEST_F(ScriptComponentBind, GeneratedFileBindsToAnObjectAnsweringItsMethods) {
    ComPtr<IDispatch> object;
    ASSERT_EQ(BindScript(Write(L"ping.WSC", WscFile({{"Ping", WscMemberKind::Method}}, kEmptyFunctionBody)), object),
              S_OK);
    ASSERT_TRUE(object);
    Variant result;
    ASSERT_EQ(CallMethod(object.get(), L"Ping", {}, result.get()), S_OK);
    EXPECT_EQ(AsText(*result.get()), L"pong");
}

TEST_F(ScriptComponentBind, EachKindOfBadFileFailsTheBindWithItsOwnCode) {
    const std::vector<WscMember> ping{{"Ping", WscMemberKind::Method}};
    const std::string good = WscFile(ping, kEmptyFunctionBody);

    ComPtr<IDispatch> object;
    const HRESULT missing = BindScript(dir_ / L"absent.WSC", object);
    EXPECT_EQ(missing, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(object);

    std::string unclosed = good;
    unclosed.erase(unclosed.find("</package>"));
    const HRESULT malformed = BindFile(L"unclosed.WSC", unclosed);
    EXPECT_EQ(malformed, scriptrt::kScriptFileMalformed);

    const HRESULT notComponent = BindFile(L"html.WSC", "<html><body>Ping</body></html>\r\n");
    EXPECT_EQ(notComponent, scriptrt::kComponentElementMissing);

    std::string scriptless = good;
    scriptless.erase(scriptless.find("        <script"), scriptless.find("    </component>") - scriptless.find("        <script"));
    const HRESULT noScript = BindFile(L"scriptless.WSC", scriptless);
    EXPECT_EQ(noScript, scriptrt::kScriptElementMissing);

    const HRESULT vbscript = BindFile(L"vb.WSC", WscFile(ping, "            Function Ping()\r\n            End Function\r\n",
                                                         "VBScript"));
    EXPECT_EQ(vbscript, scriptrt::kScriptLanguageUnsupported);

    const HRESULT syntax = BindFile(L"syntax.WSC", WscFile(ping, "            function Ping( {\r\n"));
    EXPECT_TRUE(FAILED(syntax)) << std::hex << syntax;

    const HRESULT throwsAtLoad = BindFile(L"throws.WSC", WscFile(ping, "            throw new Error(\"at load\");\r\n"));
    EXPECT_TRUE(FAILED(throwsAtLoad)) << std::hex << throwsAtLoad;

    const std::set<HRESULT> distinct{missing, malformed, notComponent, noScript, vbscript};
    EXPECT_EQ(distinct.size(), 5u);
    EXPECT_EQ(distinct.count(syntax), 0u) << std::hex << syntax;
    // Nothing of a failed bind stays alive: no engine, site or moniker.
    EXPECT_EQ(RuntimeCanUnloadNow(), S_OK);
}

TEST_F(ScriptComponentBind, FilesCutOffAnywhereFailAsMalformed) {
    const std::string good = WscFile({{"Ping", WscMemberKind::Method}}, kEmptyFunctionBody);
    for (const char* cutBefore : {"<public>", "description=", "return \"pong", "]]>", "</component>", "</package>"}) {
        const size_t at = good.find(cutBefore);
        ASSERT_NE(at, std::string::npos) << cutBefore;
        EXPECT_EQ(BindFile(L"cut.WSC", good.substr(0, at)), scriptrt::kScriptFileMalformed) << "cut before " << cutBefore;
    }
}

TEST_F(ScriptComponentBind, MemberDeclarationsWithoutNameOrDeclaredTwiceAreMalformed) {
    const std::string body = kEmptyFunctionBody;
    std::string nameless = WscFile({{"Ping", WscMemberKind::Method}}, body);
    nameless.replace(nameless.find("name=\"Ping\""), 11, "id=\"Ping\"");
    EXPECT_EQ(BindFile(L"nameless.WSC", nameless), scriptrt::kScriptFileMalformed);

    EXPECT_EQ(BindFile(L"twice.WSC", WscFile({{"Ping", WscMemberKind::Method}, {"Ping", WscMemberKind::Property}}, body)),
              scriptrt::kScriptFileMalformed);
}

TEST_F(ScriptComponentBind, AnsiTextOfTheFileReachesTheScriptUnchanged) {
    // 0xE9 is a letter in the ANSI code pages and an invalid byte in UTF-8.
    const std::string accented = "caf\xE9";
    const std::string body = JoinCrLf({"            function Word()", "            {",
                                       "                return \"" + accented + "\";", "            }"});
    ComPtr<IDispatch> object;
    ASSERT_EQ(BindScript(Write(L"accent.WSC", WscFile({{"Word", WscMemberKind::Method}}, body)), object), S_OK);
    Variant result;
    ASSERT_EQ(CallMethod(object.get(), L"Word", {}, result.get()), S_OK);
    wchar_t expected[8] = {};
    ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, accented.data(), static_cast<int>(accented.size()), expected, 8), 0);
    EXPECT_EQ(AsText(*result.get()), expected);
}

TEST_F(ScriptComponentBind, NamesWithoutAPathDoNotBind) {
    ComPtr<IDispatch> object;
    EXPECT_TRUE(FAILED(::CoGetObject(L"script:", nullptr, IID_IDispatch, object.put_void())));
    EXPECT_FALSE(object);
}

}  // namespace
}  // namespace pelmora::test
