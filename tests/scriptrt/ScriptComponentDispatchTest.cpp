// Calling a bound script component: methods, properties, unknown names, script errors
// and the object's release.
#include <gtest/gtest.h>
#include <dispex.h>

#include "FakeDispatch.h"
#include "ScriptBinding.h"
#include "framework/ui/ModalDialogDriver.h"

namespace pelmora::test {
namespace {

using com::ComPtr;
using com::Variant;

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += std::string(12, ' ') + line + "\r\n";
    return text;
}

// A browser main script as generated, with two events filled in and a few helpers.
const std::vector<WscMember> kMembers{
    {"BeforeNavigate2", WscMemberKind::EventMethod},
    {"DocumentComplete", WscMemberKind::EventMethod},
    {"Sum", WscMemberKind::Method},
    {"Fail", WscMemberKind::Method},
    {"Declared", WscMemberKind::Method},
    {"ReadGlobals", WscMemberKind::Method},
    {"browser", WscMemberKind::Property},
    {"count", WscMemberKind::Property},
    {"later", WscMemberKind::Property},
    {"broken", WscMemberKind::Property},
};

const std::string kBody = Lines({
    "/* Function: DocumentComplete               ",
    "               Params [properties]: pDisp, URL",
    "*/",
    "function DocumentComplete(Params)",
    "{",
    "    Params.Seen = Params.URL + \" done\";",
    "    Params.Cancel = true;",
    "}",
    "function BeforeNavigate2(Params)",
    "{",
    "    throw new Error(\"navigation refused\");",
    "}",
    "function Sum(a, b, c)",
    "{",
    "    return a * 100 + b * 10 + c;",
    "}",
    "function Fail()",
    "{",
    "    return undefinedFunction();",
    "}",
    "function Hidden()",
    "{",
    "    return 1;",
    "}",
    "var puts = 0;",
    "var count = 1;",
    "function ReadGlobals()",
    "{",
    "    return puts + \",\" + count + \",\" + (typeof later == \"undefined\" ? \"\" : later);",
    "}",
    "function get_broken()",
    "{",
    "    throw new Error(\"unreadable\");",
    "}",
}) + WscPropertyCode("browser");

class ScriptComponentDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        std::string body = kBody;
        // The generated write accessor, counting its calls.
        const std::string put = "browser = newValue;";
        body.replace(body.find(put), put.size(), "browser = newValue; puts++;");
        const std::wstring path = dir_ / L"main.WSC";
        WriteFileBytes(path, WscFile(kMembers, body));
        ASSERT_EQ(BindScript(path, object_), S_OK);
    }

    TempDir dir_;
    FakeDispatch params_;  // outlives the object, which may hold it
    ComPtr<IDispatch> object_;
};

TEST_F(ScriptComponentDispatch, MethodsCallTheFunctionOfTheirNameWithTheCallersArguments) {
    Variant result;
    ASSERT_EQ(CallMethod(object_.get(), L"Sum", {IntVariant(1), IntVariant(2), IntVariant(3)}, result.get()), S_OK);
    EXPECT_EQ(AsInt(*result.get()), 123);

    params_[L"URL"] = StringValue(L"http://example.test/");
    ASSERT_EQ(CallMethod(object_.get(), L"DocumentComplete", {DispatchVariant(&params_)}), S_OK);
    EXPECT_EQ(AsText(*params_[L"Seen"].get()), L"http://example.test/ done");
    ASSERT_EQ(params_[L"Cancel"]->vt, VT_BOOL);
    EXPECT_EQ(params_[L"Cancel"]->boolVal, VARIANT_TRUE);
}

TEST_F(ScriptComponentDispatch, PropertiesGoThroughTheirAccessorsWhenTheScriptHasThem) {
    ASSERT_EQ(PutProperty(object_.get(), L"browser", DispatchVariant(&params_), DISPATCH_PROPERTYPUTREF), S_OK);
    Variant read;
    ASSERT_EQ(GetProperty(object_.get(), L"browser", read.get()), S_OK);
    ASSERT_EQ(read->vt, VT_DISPATCH);
    EXPECT_EQ(read->pdispVal, static_cast<IDispatch*>(&params_));

    ASSERT_EQ(PutProperty(object_.get(), L"browser", IntVariant(7), DISPATCH_PROPERTYPUT), S_OK);
    Variant globals;
    ASSERT_EQ(CallMethod(object_.get(), L"ReadGlobals", {}, globals.get()), S_OK);
    EXPECT_EQ(AsText(*globals.get()), L"2,1,");  // both writes went through put_browser
}

TEST_F(ScriptComponentDispatch, PropertiesWithoutAccessorsReadAndWriteTheGlobalVariable) {
    Variant count;
    ASSERT_EQ(GetProperty(object_.get(), L"count", count.get()), S_OK);
    EXPECT_EQ(AsInt(*count.get()), 1);

    // Declared public, never assigned by the script: reads as undefined.
    Variant later;
    ASSERT_EQ(GetProperty(object_.get(), L"later", later.get()), S_OK);
    EXPECT_EQ(later->vt, VT_EMPTY);

    ASSERT_EQ(PutProperty(object_.get(), L"count", IntVariant(5), DISPATCH_PROPERTYPUT), S_OK);
    ASSERT_EQ(PutProperty(object_.get(), L"later", IntVariant(9), DISPATCH_PROPERTYPUTREF), S_OK);
    Variant globals;
    ASSERT_EQ(CallMethod(object_.get(), L"ReadGlobals", {}, globals.get()), S_OK);
    EXPECT_EQ(AsText(*globals.get()), L"0,5,9");

    ASSERT_EQ(PutProperty(object_.get(), L"count", DispatchVariant(&params_), DISPATCH_PROPERTYPUTREF), S_OK);
    count.Clear();
    ASSERT_EQ(GetProperty(object_.get(), L"count", count.get()), S_OK);
    ASSERT_EQ(count->vt, VT_DISPATCH);
    EXPECT_EQ(count->pdispVal, static_cast<IDispatch*>(&params_));
}

TEST_F(ScriptComponentDispatch, NamesOutsideThePublicSectionAreUnknown) {
    for (const wchar_t* name : {L"Hidden", L"get_browser", L"puts", L"NoSuchName"}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    // IDispatch names match without regard to case.
    EXPECT_EQ(LookUp(object_.get(), L"documentcomplete"), LookUp(object_.get(), L"DocumentComplete"));

    DISPPARAMS none{};
    EXPECT_EQ(object_->Invoke(4242, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    // Public, but the script defines no such function.
    EXPECT_EQ(CallMethod(object_.get(), L"Declared", {}), DISP_E_MEMBERNOTFOUND);
    // A method cannot be written, a property cannot be written with a get.
    EXPECT_EQ(PutProperty(object_.get(), L"Sum", IntVariant(1), DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ScriptComponentDispatch, ScriptErrorsFailTheCallAndDescribeTheErrorWhenAsked) {
    EXCEPINFO exception{};
    const HRESULT thrown = CallMethod(object_.get(), L"BeforeNavigate2", {DispatchVariant(&params_)}, nullptr, &exception);
    EXPECT_EQ(thrown, DISP_E_EXCEPTION);
    EXPECT_TRUE(FAILED(exception.scode)) << std::hex << exception.scode;
    ASSERT_NE(exception.bstrDescription, nullptr);
    EXPECT_EQ(std::wstring(exception.bstrDescription), L"navigation refused");
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);

    EXPECT_TRUE(FAILED(CallMethod(object_.get(), L"Fail", {})));
    Variant broken;
    EXPECT_TRUE(FAILED(GetProperty(object_.get(), L"broken", broken.get())));

    // The object stays usable after an error.
    Variant result;
    ASSERT_EQ(CallMethod(object_.get(), L"Sum", {IntVariant(0), IntVariant(0), IntVariant(4)}, result.get()), S_OK);
    EXPECT_EQ(AsInt(*result.get()), 4);
}

TEST_F(ScriptComponentDispatch, DispatchExFindsAndEnumeratesThePublicMembers) {
    ComPtr<IDispatchEx> object;
    ASSERT_EQ(object_.As(object), S_OK);
    DISPID id = 0;
    BSTR lower = ::SysAllocString(L"sum");
    EXPECT_EQ(object->GetDispID(lower, fdexNameCaseSensitive, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(object->GetDispID(lower, fdexNameCaseInsensitive, &id), S_OK);
    ::SysFreeString(lower);

    std::vector<std::wstring> names;
    for (HRESULT hr = object->GetNextDispID(fdexEnumAll, DISPID_STARTENUM, &id); hr == S_OK;
         hr = object->GetNextDispID(fdexEnumAll, id, &id)) {
        BSTR name = nullptr;
        ASSERT_EQ(object->GetMemberName(id, &name), S_OK);
        names.emplace_back(name);
        ::SysFreeString(name);
    }
    std::vector<std::wstring> declared;
    for (const WscMember& member : kMembers) declared.emplace_back(member.name.begin(), member.name.end());
    EXPECT_EQ(names, declared);
}

TEST_F(ScriptComponentDispatch, ReleasingTheObjectClosesItsEngineAndLetsTheRuntimeUnload) {
    ASSERT_EQ(PutProperty(object_.get(), L"browser", DispatchVariant(&params_), DISPATCH_PROPERTYPUTREF), S_OK);
    EXPECT_GT(params_.References(), 1);  // the script holds it
    EXPECT_EQ(RuntimeCanUnloadNow(), S_FALSE);
    object_.reset();
    EXPECT_EQ(params_.References(), 1);
    EXPECT_EQ(RuntimeCanUnloadNow(), S_OK);
}


// A component that asks for error="true" shows each script error to the person, and
// the call fails as it does without.
TEST(ScriptComponentErrors, ErrorTrueShowsEachErrorWithFileAndLineAndStillFailsTheCall) {
    TempDir dir;
    const std::wstring path = dir / L"shown.WSC";
    const auto write = [&](const std::vector<std::string>& body) {
        std::string file = WscFile({{"Fail", WscMemberKind::Method}}, Lines(body));
        const std::string quiet = "error=\"false\"";
        file.replace(file.find(quiet), quiet.size(), "error=\"true\"");
        WriteFileBytes(path, file);
    };
    struct Case {
        const char* what;
        std::vector<std::string> body;
        bool binds;
        std::wstring error;
        std::wstring line;  // of the file: the body begins on line 19
    };
    const Case cases[] = {
        {"throws", {"function Fail()", "{", "    throw new Error(\"shown to the person\");", "}"}, true,
         L"Error: shown to the person", L"Line: 21"},
        {"does not compile", {"function Fail( {", "}"}, false, L"Error: ", L"Line: 19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.body);
        std::wstring text;
        ModalDialogDriver box(L"Script component error", [&text](HWND dialog) {
            wchar_t shown[1024] = {};
            ::GetDlgItemTextW(dialog, 0xFFFF, shown, 1024);
            text = shown;
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        ComPtr<IDispatch> object;
        const HRESULT bound = BindScript(path, object);
        if (c.binds) {
            ASSERT_EQ(S_OK, bound);
            EXPECT_EQ(DISP_E_EXCEPTION, CallMethod(object.get(), L"Fail", {}));
        } else {
            EXPECT_TRUE(FAILED(bound));
        }
        EXPECT_TRUE(box.found());
        EXPECT_NE(std::wstring::npos, text.find(L"File: " + path)) << text;
        EXPECT_NE(std::wstring::npos, text.find(c.line)) << text;
        EXPECT_NE(std::wstring::npos, text.find(c.error)) << text;
    }
}

}  // namespace
}  // namespace pelmora::test
