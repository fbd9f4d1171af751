// What a navigation of the browser stand-in fires, in which order and with which
// argument layout, with frames, cancellation and non-HTML documents.
#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtmdid.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browser/RecordingSink.h"
#include "framework/com/Bstr.h"
#include "browser/WebBrowser.h"

namespace pelmora::browser {
namespace {

using test::RecordedCall;
using test::RecordingSink;

com::Bstr Text(const wchar_t* text) { return com::Bstr(text); }

std::wstring UrlOfFrame(IDispatch* frame) {
    com::ComPtr<IWebBrowser2> browser;
    EXPECT_EQ(S_OK, frame->QueryInterface(IID_IWebBrowser2, browser.put_void()));
    com::Bstr url;
    EXPECT_EQ(S_OK, browser->get_LocationURL(url.put()));
    return url.str();
}

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        browser->DescribePage({L"http://a.example/", L"A", {}, true});
        browser->DescribePage({L"http://b.example/top.html", L"B", {L"http://b.example/f1.html",
                                                                    L"http://b.example/f2.html"}, true});
        browser->DescribePage({L"http://b.example/picture.png", L"picture.png", {}, false});
        ASSERT_NE(0u, test::Advise(static_cast<IWebBrowser2*>(browser.get()), DIID_DWebBrowserEvents2, &sink));
    }
    HRESULT Navigate(const wchar_t* url) {
        return browser->Navigate(Text(url).get(), nullptr, nullptr, nullptr, nullptr);
    }
    std::wstring ShownUrl() { return UrlOfFrame(static_cast<IWebBrowser2*>(browser.get())); }

    RecordingSink sink;
    com::ComPtr<WebBrowser> browser = CreateWebBrowser();
};

TEST_F(NavigationTest, EventsFollowInternetExplorersOrderWithFramesCompletingBeforeTheTop) {
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/top.html"));
    const std::vector<std::wstring> expected = {
        L"BeforeNavigate2 http://a.example/", L"NavigateComplete2 http://a.example/",
        L"onload http://a.example/", L"DocumentComplete http://a.example/",
        L"BeforeNavigate2 http://b.example/top.html", L"onunload http://a.example/",
        L"NavigateComplete2 http://b.example/top.html",
        L"BeforeNavigate2 http://b.example/f1.html", L"NavigateComplete2 http://b.example/f1.html",
        L"BeforeNavigate2 http://b.example/f2.html", L"NavigateComplete2 http://b.example/f2.html",
        L"onload http://b.example/f1.html", L"onload http://b.example/f2.html",
        L"onload http://b.example/top.html",
        L"DocumentComplete http://b.example/f1.html", L"DocumentComplete http://b.example/f2.html",
        L"DocumentComplete http://b.example/top.html"};
    EXPECT_EQ(expected, browser->GetTranscript().lines);

    // Each frame's events carry the frame's own browser object; the top's carry the top.
    ASSERT_EQ(12u, sink.calls.size());
    const auto& frameComplete = sink.calls[9];
    EXPECT_EQ(DISPID_DOCUMENTCOMPLETE, frameComplete.id);
    EXPECT_EQ(L"http://b.example/f1.html", UrlOfFrame(frameComplete.frame.get()));
    EXPECT_FALSE(frameComplete.frame == com::ComPtr<IDispatch>(static_cast<IWebBrowser2*>(browser.get())));
    const auto& topComplete = sink.calls[11];
    EXPECT_EQ(DISPID_DOCUMENTCOMPLETE, topComplete.id);
    EXPECT_TRUE(topComplete.frame == com::ComPtr<IDispatch>(static_cast<IWebBrowser2*>(browser.get())));
    EXPECT_EQ(L"http://b.example/top.html", topComplete.url);
    ASSERT_EQ(2u, browser->Frames().size());
    EXPECT_NE(nullptr, browser->Frames()[1]->CurrentWindow());
}

TEST_F(NavigationTest, EventArgumentsHaveTheTypeLibraryLayout) {
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    ASSERT_EQ(3u, sink.calls.size());
    const VARTYPE byRefVariant = VT_BYREF | VT_VARIANT;
    const RecordedCall& before = sink.calls[0];
    EXPECT_EQ(DISPID_BEFORENAVIGATE2, before.id);
    const std::vector<VARTYPE> beforeLayout = {VT_BYREF | VT_BOOL, byRefVariant, byRefVariant, byRefVariant,
                                               byRefVariant, byRefVariant, VT_DISPATCH};
    EXPECT_EQ(beforeLayout, before.argumentTypes);
    EXPECT_EQ(L"http://a.example/", before.url);
    const std::vector<VARTYPE> urlLayout = {byRefVariant, VT_DISPATCH};
    EXPECT_EQ(DISPID_NAVIGATECOMPLETE2, sink.calls[1].id);
    EXPECT_EQ(urlLayout, sink.calls[1].argumentTypes);
    EXPECT_EQ(DISPID_DOCUMENTCOMPLETE, sink.calls[2].id);
    EXPECT_EQ(urlLayout, sink.calls[2].argumentTypes);
    EXPECT_EQ(L"http://a.example/", sink.calls[2].url);
}

TEST_F(NavigationTest, CancelInBeforeNavigate2KeepsTheShownPage) {
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    sink.cancelUrl = L"http://b.example/top.html";
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/top.html"));
    EXPECT_EQ(L"Cancelled http://b.example/top.html", browser->GetTranscript().lines.back());
    EXPECT_EQ(4u, sink.calls.size());  // nothing after the cancelled BeforeNavigate2
    EXPECT_EQ(L"http://a.example/", ShownUrl());
    READYSTATE state = READYSTATE_UNINITIALIZED;
    ASSERT_EQ(S_OK, browser->get_ReadyState(&state));
    EXPECT_EQ(READYSTATE_COMPLETE, state);
}

TEST_F(NavigationTest, CancelledFrameLoadsNothingWhileTheTopCompletes) {
    sink.cancelUrl = L"http://b.example/f2.html";
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/top.html"));
    const auto& lines = browser->GetTranscript().lines;
    EXPECT_EQ(0, std::count(lines.begin(), lines.end(), L"DocumentComplete http://b.example/f2.html"));
    EXPECT_EQ(L"DocumentComplete http://b.example/top.html", lines.back());
    com::ComPtr<IDispatch> frameDocument;
    ASSERT_EQ(S_OK, browser->Frames()[1]->get_Document(frameDocument.put()));
    EXPECT_FALSE(frameDocument);
}

TEST_F(NavigationTest, NonHtmlDocumentHasNoHtmlInterfaceAndNoWindow) {
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/picture.png"));
    com::ComPtr<IDispatch> document;
    ASSERT_EQ(S_OK, browser->get_Document(document.put()));
    ASSERT_TRUE(document);
    com::ComPtr<IHTMLDocument2> html;
    EXPECT_EQ(E_NOINTERFACE, document->QueryInterface(IID_IHTMLDocument2, html.put_void()));
    EXPECT_EQ(nullptr, browser->CurrentWindow());
    const std::vector<std::wstring> expected = {L"BeforeNavigate2 http://b.example/picture.png",
                                                L"NavigateComplete2 http://b.example/picture.png",
                                                L"DocumentComplete http://b.example/picture.png"};
    EXPECT_EQ(expected, browser->GetTranscript().lines);
}

TEST_F(NavigationTest, WindowSinksHearOnloadAndOnunloadAndAreLetGoWhenThePageEnds) {
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    RecordingSink windowSink;
    ASSERT_NE(0u, test::Advise(static_cast<IHTMLWindow2*>(browser->CurrentWindow()), DIID_HTMLWindowEvents,
                               &windowSink));
    ASSERT_EQ(S_OK, browser->Refresh());  // reload: unload and load, no navigation events
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/top.html"));
    ASSERT_EQ(1u, windowSink.calls.size());  // the refresh made a new window
    EXPECT_EQ(DISPID_HTMLWINDOWEVENTS_ONUNLOAD, windowSink.calls[0].id);
    EXPECT_EQ(1, windowSink.refs);
}

TEST_F(NavigationTest, WindowNavigateLoadsThePageAndTheOldWindowLetsItsDocumentGo) {
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    // window.navigate from the page runs through the browser like a user's navigation.
    com::ComPtr<IHTMLWindow2> window(browser->CurrentWindow());
    ASSERT_EQ(S_OK, window->navigate(Text(L"http://b.example/picture.png").get()));
    EXPECT_EQ(L"http://b.example/picture.png", ShownUrl());
    com::ComPtr<IHTMLDocument2> oldDocument;
    EXPECT_EQ(E_ACCESSDENIED, window->get_document(oldDocument.put()));
}

TEST_F(NavigationTest, Navigate2TakesTheUrlAsStringOrReferenceToString) {
    VARIANT url;
    V_VT(&url) = VT_BSTR;
    com::Bstr text(L"http://a.example/");
    V_BSTR(&url) = text.get();
    ASSERT_EQ(S_OK, browser->Navigate2(&url, nullptr, nullptr, nullptr, nullptr));
    VARIANT reference;
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &url;
    ASSERT_EQ(S_OK, browser->Navigate2(&reference, nullptr, nullptr, nullptr, nullptr));
    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 3;
    EXPECT_EQ(E_INVALIDARG, browser->Navigate2(&number, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(6u, sink.calls.size());
}

TEST_F(NavigationTest, BackAndForwardTravelTheCompletedPagesWithTheirEvents) {
    EXPECT_EQ(E_FAIL, browser->GoBack()) << "nothing shown yet";
    ASSERT_EQ(S_OK, Navigate(L"http://a.example/"));
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/picture.png"));
    sink.cancelUrl = L"http://never.example/";
    ASSERT_EQ(S_OK, Navigate(L"http://never.example/"));  // cancelled: no history entry
    EXPECT_TRUE(browser->CanGoBack());

    const size_t before = browser->GetTranscript().lines.size();
    ASSERT_EQ(S_OK, browser->GoBack());
    const std::vector<std::wstring> back(browser->GetTranscript().lines.begin() + static_cast<std::ptrdiff_t>(before),
                                         browser->GetTranscript().lines.end());
    const std::vector<std::wstring> expected = {L"BeforeNavigate2 http://a.example/",
                                                L"NavigateComplete2 http://a.example/", L"onload http://a.example/",
                                                L"DocumentComplete http://a.example/"};
    EXPECT_EQ(expected, back);
    EXPECT_FALSE(browser->CanGoBack());
    EXPECT_EQ(E_FAIL, browser->GoBack());

    ASSERT_EQ(S_OK, browser->GoForward());
    EXPECT_EQ(L"http://b.example/picture.png", ShownUrl());
    EXPECT_EQ(E_FAIL, browser->GoForward());

    // A new page after going back drops the pages ahead.
    ASSERT_EQ(S_OK, browser->GoBack());
    ASSERT_EQ(S_OK, Navigate(L"http://b.example/top.html"));
    EXPECT_EQ(E_FAIL, browser->GoForward());
    ASSERT_EQ(S_OK, browser->GoBack());
    EXPECT_EQ(L"http://a.example/", ShownUrl());
}

}  // namespace
}  // namespace pelmora::browser
