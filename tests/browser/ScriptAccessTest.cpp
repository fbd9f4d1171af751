// The stand-in's objects as a script reaches them: names looked up and members called
// through IDispatch, answered by the registered SHDocVw and MSHTML type information.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeCom.h"
#include "browser/WebBrowser.h"
#include "framework/com/Bstr.h"
#include "runtime/DispatchCalls.h"

namespace pelmora::browser {
namespace {

using test::GetProperty;
using test::LookUp;

com::ComPtr<IDispatch> ObjectOf(const com::Variant& value) {
    EXPECT_EQ(VT_DISPATCH, V_VT(value.get()));
    return V_VT(value.get()) == VT_DISPATCH ? com::ComPtr<IDispatch>(V_DISPATCH(value.get())) : nullptr;
}

com::ComPtr<IDispatch> Member(IDispatch* object, const wchar_t* name) {
    return ObjectOf(GetProperty(object, LookUp(object, name)));
}

std::wstring Text(IDispatch* object, const wchar_t* name) {
    return test::StringOf(GetProperty(object, LookUp(object, name)));
}

HRESULT CallWithText(IDispatch* object, const wchar_t* name, const wchar_t* text, com::Variant* result = nullptr) {
    com::Variant argument = test::StringValue(text);
    DISPPARAMS params = {argument.get(), nullptr, 1, 0};
    return object->Invoke(LookUp(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                          result ? result->get() : nullptr, nullptr, nullptr);
}

class ScriptAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        browser->DescribePage({L"http://shop.example.org:8080/news/index.html?q=1#top", L"News", {}, true});
        ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(L"http://shop.example.org:8080/news/index.html?q=1#top").get(),
                                          nullptr, nullptr, nullptr, nullptr));
    }
    IDispatch* Browser() { return static_cast<IWebBrowser2*>(browser.get()); }

    com::ComPtr<WebBrowser> browser = CreateWebBrowser();
};

TEST_F(ScriptAccessTest, BrowserDocumentParentWindowAlertLandsInTheTranscript) {
    com::ComPtr<IDispatch> document = Member(Browser(), L"Document");
    ASSERT_TRUE(document);
    com::ComPtr<IDispatch> window = Member(document.get(), L"parentWindow");
    ASSERT_TRUE(window);
    ASSERT_EQ(S_OK, CallWithText(window.get(), L"alert", L"x"));
    EXPECT_EQ(L"alert x", browser->GetTranscript().lines.back());
    EXPECT_EQ(L"News", Text(document.get(), L"title"));
    EXPECT_EQ(L"http://shop.example.org:8080/news/index.html?q=1#top", Text(document.get(), L"URL"));
    EXPECT_EQ(L"News", Text(Browser(), L"LocationName"));
    EXPECT_EQ(READYSTATE_COMPLETE, V_I4(GetProperty(Browser(), LookUp(Browser(), L"ReadyState")).get()));
}

TEST_F(ScriptAccessTest, LocationPartsAreTheUrlsPartsAsTheDocumentReportsThem) {
    com::ComPtr<IDispatch> window = Member(Member(Browser(), L"Document").get(), L"parentWindow");
    com::ComPtr<IDispatch> location = Member(window.get(), L"location");
    ASSERT_TRUE(location);
    EXPECT_EQ(L"http://shop.example.org:8080/news/index.html?q=1#top", Text(location.get(), L"href"));
    EXPECT_EQ(L"http:", Text(location.get(), L"protocol"));
    EXPECT_EQ(L"shop.example.org", Text(location.get(), L"hostname"));
    EXPECT_EQ(L"shop.example.org:8080", Text(location.get(), L"host"));
    EXPECT_EQ(L"8080", Text(location.get(), L"port"));
    EXPECT_EQ(L"/news/index.html", Text(location.get(), L"pathname"));
    EXPECT_EQ(L"?q=1", Text(location.get(), L"search"));
    EXPECT_EQ(L"#top", Text(location.get(), L"hash"));
    // The document's location is the window's.
    com::ComPtr<IDispatch> documentLocation = Member(Member(window.get(), L"document").get(), L"location");
    EXPECT_EQ(L"/news/index.html", Text(documentLocation.get(), L"pathname"));
}

TEST_F(ScriptAccessTest, UrlWithoutPortOrQueryHasEmptyParts) {
    ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(L"https://Example.org/").get(), nullptr, nullptr, nullptr, nullptr));
    com::ComPtr<IHTMLLocation> location;
    ASSERT_EQ(S_OK, browser->CurrentWindow()->get_location(location.put()));
    com::Bstr port, search, hash, path, protocol;
    ASSERT_EQ(S_OK, location->get_port(port.put()));
    ASSERT_EQ(S_OK, location->get_search(search.put()));
    ASSERT_EQ(S_OK, location->get_hash(hash.put()));
    ASSERT_EQ(S_OK, location->get_pathname(path.put()));
    ASSERT_EQ(S_OK, location->get_protocol(protocol.put()));
    EXPECT_EQ(L"", port.str());
    EXPECT_EQ(L"", search.str());
    EXPECT_EQ(L"", hash.str());
    EXPECT_EQ(L"/", path.str());
    EXPECT_EQ(L"https:", protocol.str());
}

TEST_F(ScriptAccessTest, IntervalsRecurUntilClearedAndEndWithThePage) {
    HtmlWindow* window = browser->CurrentWindow();
    IDispatch* script = static_cast<IHTMLWindow2*>(window);
    com::Variant expression = test::StringValue(L"tick()");
    VARIANT arguments[2] = {test::IntValue(100), *expression.get()};  // reversed: (expression, msec)
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    com::Variant id;
    ASSERT_EQ(S_OK, script->Invoke(LookUp(script, L"setInterval"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                   &params, id.get(), nullptr, nullptr));
    ASSERT_EQ(VT_I4, V_VT(id.get()));
    const LONG timer = V_I4(id.get());
    window->AdvanceClock(250);
    ASSERT_EQ(S_OK, window->clearInterval(timer));
    window->AdvanceClock(1000);
    const auto& lines = browser->GetTranscript().lines;
    EXPECT_EQ(2, std::count(lines.begin(), lines.end(), L"interval tick()"));

    // A script's function object is called each time, and may clear its own interval.
    test::FakeCom function("interval function");
    int calls = 0;
    LONG functionTimer = 0;
    function.Answer<IDispatch>();
    function.On<&IDispatch::Invoke>(
        "Invoke", [&](DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
            if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
            if (flags & DISPATCH_PROPERTYGET) {  // its source text, as JScript gives it
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = ::SysAllocString(L"function ()\r\n{\r\n    tick();\r\n}");
                return S_OK;
            }
            if (++calls == 2) window->clearInterval(functionTimer);
            return S_OK;
        });
    VARIANT withFunction[2] = {test::IntValue(100), {}};
    V_VT(&withFunction[1]) = VT_DISPATCH;
    V_DISPATCH(&withFunction[1]) = function.Get<IDispatch>();
    params = {withFunction, nullptr, 2, 0};
    com::Variant functionId;
    ASSERT_EQ(S_OK, script->Invoke(LookUp(script, L"setInterval"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                   &params, functionId.get(), nullptr, nullptr));
    functionTimer = V_I4(functionId.get());
    window->AdvanceClock(1000);
    EXPECT_EQ(2, calls);
    EXPECT_EQ(2, std::count(lines.begin(), lines.end(), L"interval function () { tick(); }"));
    EXPECT_EQ(0u, window->IntervalCount()) << "the cleared interval lets its function go";
}

TEST_F(ScriptAccessTest, UnknownNamesAndUnsupportedMembersFailClearly) {
    LPOLESTR names[1] = {const_cast<wchar_t*>(L"NoSuchMember")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Browser()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    com::ComPtr<IDispatch> window = Member(Member(Browser(), L"Document").get(), L"parentWindow");
    const HRESULT hr = CallWithText(window.get(), L"prompt", L"question?");
    EXPECT_TRUE(hr == E_NOTIMPL || hr == DISP_E_EXCEPTION) << std::hex << hr;
}

}  // namespace
}  // namespace pelmora::browser
