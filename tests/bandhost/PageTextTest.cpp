// The page pane's text: HTML as a reader sees it, and the pane of a res: help page
// with its address, title and frames.
#include <gtest/gtest.h>

#include "bandhost/PageText.h"
#include "browser/WebBrowser.h"
#include "framework/com/Bstr.h"

namespace pelmora::bandhost {
namespace {

TEST(PageTextTest, HtmlReadsAsTextWithBlocksListsPreAndEntities) {
    struct Case {
        const char* name;
        std::wstring html;
        std::wstring text;
    };
    const Case cases[] = {
        {"blanks collapse, blocks break", L"<div>one\r\n   two</div><p>three</p>four<br>five",
         L"one two\n\nthree\n\nfour\nfive\n"},
        {"head, script, style and comments are not text",
         L"<html><head><title>T</title><style>p{}</style></head><body><!-- no --><script>var x;</script>shown"
         L"</body></html>",
         L"shown\n"},
        {"list items are marked and numbered",
         L"<h3>Tasks.</h3><ol><li>Create.<li>Delete.</ol><ul><li>a</li><li>b<ul><li>c</li></ul></li></ul>",
         L"Tasks.\n\n1. Create.\n2. Delete.\n\n- a\n- b\n  - c\n"},
        {"pre keeps its lines and blanks",
         L"<p>Example:</p><pre>\r\nfunction DocumentComplete(Params) {\r\n    alert(1);\r\n}\r\n</pre>after",
         L"Example:\n\nfunction DocumentComplete(Params) {\n    alert(1);\n}\n\nafter\n"},
        {"entities are decoded, unknown ones kept", L"a &lt;b&gt; &amp; &quot;c&quot;&nbsp;&#65;&#x42; &bogus; & d",
         L"a <b> & \"c\" AB &bogus; & d\n"},
        {"tags in upper case and with attributes",
         L"<CENTER><B><FONT size=5>Pelmora help.</FONT></B></CENTER><P ALIGN=left>Text <A HREF=\"x\">link</A>.",
         L"Pelmora help.\n\nText link.\n"},
        {"nothing visible", L"<html><body>  </body></html>", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, HtmlToText(c.html));
    }
}

TEST(PageTextTest, PaneShowsAddressTitleFramesAndTheDocumentsText) {
    com::ComPtr<browser::WebBrowser> browser = browser::CreateWebBrowser();
    EXPECT_EQ(L"No page is shown.\r\n", PagePaneText(*browser.get()));
    browser->DescribePage({L"http://b.example/top.html", L"B", {L"http://b.example/f1.html"}, true, {}});
    ASSERT_EQ(S_OK,
              browser->Navigate(com::Bstr(L"http://b.example/top.html").get(), nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(L"Address:  http://b.example/top.html\r\nTitle:    B\r\nDocument: HTML\r\nFrames:\r\n"
              L"  1. http://b.example/f1.html  (http://b.example/f1.html)\r\n\r\n"
              L"(a described page: the stand-in has no text for it)\r\n",
              PagePaneText(*browser.get()));

    const std::wstring missing = L"res://C:\\nowhere\\none.dll/219";
    ASSERT_EQ(S_OK, browser->Navigate(com::Bstr(missing).get(), nullptr, nullptr, nullptr, nullptr));
    const std::wstring pane = PagePaneText(*browser.get());
    EXPECT_EQ(0u, pane.find(L"Address:  " + missing + L"\r\nTitle:    The page cannot be displayed\r\n")) << pane;
    EXPECT_NE(std::wstring::npos, pane.find(L"Frames:   none\r\n\r\nThe page cannot be displayed\r\n\r\n"
                                            L"The module \"C:\\nowhere\\none.dll\" cannot be loaded"))
        << pane;
    EXPECT_NE(std::wstring::npos, pane.find(L"Status: 0x800C0005\r\n")) << pane;
}

}  // namespace
}  // namespace pelmora::bandhost
