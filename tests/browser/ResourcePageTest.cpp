// Pages of the res: protocol: HTML resources read from a module, by number, name and
// type, from paths with blanks; and NavigateError with an error document, as
// Internet Explorer shows one, when the module or the resource is missing.
#include <gtest/gtest.h>
#include <exdispid.h>
#include <urlmon.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "browser/RecordingSink.h"
#include "browser/WebBrowser.h"
#include "framework/com/Bstr.h"

namespace pelmora::browser {
namespace {

class ResourcePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::FileExists(module)) << "the test module is built beside the test program";
        ASSERT_TRUE(::CreateDirectoryW(blankFolder.c_str(), nullptr));
        ASSERT_TRUE(::CopyFileW(module.c_str(), blankModule.c_str(), TRUE));
        ASSERT_NE(0u, test::Advise(static_cast<IWebBrowser2*>(browser.get()), DIID_DWebBrowserEvents2, &sink));
    }
    std::vector<std::wstring> LinesOf(size_t from) const {
        const auto& lines = browser->GetTranscript().lines;
        return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end());
    }
    std::wstring Location() const {
        com::Bstr url;
        EXPECT_EQ(S_OK, browser->get_LocationURL(url.put()));
        return url.str();
    }
    std::wstring DocumentTitle() const {
        com::ComPtr<IDispatch> document;
        EXPECT_EQ(S_OK, browser->get_Document(document.put()));
        com::ComPtr<IHTMLDocument2> html;
        if (!document || FAILED(document->QueryInterface(IID_IHTMLDocument2, html.put_void()))) return L"(no HTML)";
        com::Bstr title;
        EXPECT_EQ(S_OK, html->get_title(title.put()));
        return title.str();
    }

    const std::wstring module = test::ProgramDirectory() + L"\\standin_test_module.dll";
    test::TempDir folder;
    const std::wstring blankFolder = folder / L"dir with blanks";
    const std::wstring blankModule = blankFolder + L"\\test module.dll";
    test::RecordingSink sink;
    com::ComPtr<WebBrowser> browser = CreateWebBrowser();
};

std::wstring Encoded(std::wstring path) {
    for (size_t at = path.find(L' '); at != std::wstring::npos; at = path.find(L' ', at)) path.replace(at, 1, L"%20");
    return path;
}

TEST_F(ResourcePageTest, HtmlResourcesLoadByNumberNameAndTypeAlsoFromPathsWithBlanks) {
    struct Case {
        std::wstring url;
        std::wstring title;  // empty: the page has none, the URL stands in
        std::wstring text;
    };
    const std::wstring numbered = L"Numbered test page";
    const std::vector<Case> cases = {
        {L"res://" + module + L"/9001", numbered, L"<p>First paragraph.</p>"},
        {L"res://" + module + L"/#9001", numbered, L"First paragraph."},
        {L"res://" + module + L"/23/9001", numbered, L"First paragraph."},
        {L"res://" + module + L"/#23/9001", numbered, L"First paragraph."},
        {L"res://" + module + L"/PLAINPAGE", L"", L"Named page without a title."},
        {L"RES://" + module + L"/plainpage", L"", L"Named page without a title."},
        {L"res://" + blankModule + L"/9001", numbered, L"First paragraph."},
        {L"res://" + Encoded(blankModule) + L"/9001", numbered, L"First paragraph."},
    };
    std::wstring shown;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const size_t before = browser->GetTranscript().lines.size();
        ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(c.url).get(), nullptr, nullptr, nullptr, nullptr));
        std::vector<std::wstring> expected = {L"BeforeNavigate2 " + c.url, L"NavigateComplete2 " + c.url,
                                              L"onload " + c.url, L"DocumentComplete " + c.url};
        if (!shown.empty()) expected.insert(expected.begin() + 1, L"onunload " + shown);
        shown = c.url;
        EXPECT_EQ(expected, LinesOf(before));
        EXPECT_EQ(c.url, Location());
        EXPECT_EQ(c.title.empty() ? c.url : c.title, DocumentTitle());
        EXPECT_NE(std::wstring::npos, browser->CurrentPage().source.find(c.text));
        EXPECT_NE(nullptr, browser->CurrentWindow());
    }
}

TEST_F(ResourcePageTest, MissingModuleOrResourceFiresNavigateErrorThenCompletesAnErrorDocument) {
    struct Case {
        std::wstring url;
        HRESULT status;
        std::wstring reason;
    };
    const std::vector<Case> cases = {
        {L"res://" + folder.path() + L"\\no such module.dll/9001", INET_E_RESOURCE_NOT_FOUND, L"cannot be loaded"},
        {L"res://" + module + L"/9999", INET_E_RESOURCE_NOT_FOUND, L"has no resource &quot;9999&quot;"},
        {L"res://" + module + L"/2/9001", INET_E_RESOURCE_NOT_FOUND, L"of type 2."},
        {L"res://" + module + L"/NOSUCHPAGE", INET_E_RESOURCE_NOT_FOUND, L"NOSUCHPAGE"},
        {L"res://" + module, INET_E_INVALID_URL, L"names no module and resource"},
    };
    std::wstring shown;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const size_t before = browser->GetTranscript().lines.size();
        const size_t calls = sink.calls.size();
        ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(c.url).get(), nullptr, nullptr, nullptr, nullptr));
        wchar_t status[16] = {};
        swprintf(status, 16, L"0x%08lX", static_cast<unsigned long>(c.status));
        // The old page unloads only once the error is known and not cancelled.
        std::vector<std::wstring> expected = {L"BeforeNavigate2 " + c.url, L"NavigateError " + c.url + L" " + status,
                                              L"NavigateComplete2 " + c.url, L"onload " + c.url,
                                              L"DocumentComplete " + c.url};
        if (!shown.empty()) expected.insert(expected.begin() + 2, L"onunload " + shown);
        shown = c.url;
        EXPECT_EQ(expected, LinesOf(before));
        ASSERT_EQ(calls + 4, sink.calls.size());
        const test::RecordedCall& error = sink.calls[calls + 1];
        EXPECT_EQ(DISPID_NAVIGATEERROR, error.id);
        const VARTYPE byRefVariant = VT_BYREF | VT_VARIANT;
        const std::vector<VARTYPE> layout = {VT_BYREF | VT_BOOL, byRefVariant, byRefVariant, byRefVariant,
                                             VT_DISPATCH};
        EXPECT_EQ(layout, error.argumentTypes);
        EXPECT_EQ(c.url, error.url);
        EXPECT_EQ(c.status, error.status);
        EXPECT_EQ(L"The page cannot be displayed", DocumentTitle());
        EXPECT_EQ(c.url, Location());
        EXPECT_NE(std::wstring::npos, browser->CurrentPage().source.find(c.reason)) << browser->CurrentPage().source;
    }
}

TEST_F(ResourcePageTest, CancelledNavigateErrorKeepsTheShownPageAndItsWindow) {
    const std::wstring good = L"res://" + module + L"/9001";
    ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(good).get(), nullptr, nullptr, nullptr, nullptr));
    HtmlWindow* window = browser->CurrentWindow();
    sink.cancelErrors = true;
    const std::wstring bad = L"res://" + module + L"/9999";
    ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(bad).get(), nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(L"Cancelled " + bad, browser->GetTranscript().lines.back());
    EXPECT_EQ(good, Location());
    EXPECT_EQ(window, browser->CurrentWindow()) << "no onunload, no new window";
    // The failed navigation joined no history: Back goes nowhere.
    EXPECT_EQ(E_FAIL, browser->GoBack());
}

}  // namespace
}  // namespace pelmora::browser
