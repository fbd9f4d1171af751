// The help page resource: its bytes as the res: protocol hands them to the browser,
// its structure, and its five example scripts, which must compile as written.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "framework/ui/ApplicationBase.h"
#include "resources/resource.h"
#include "scriptrt/ScriptBinding.h"

namespace pelmora {
namespace {

std::string HelpPageBytes() {
    const HMODULE module = ui::CurrentModuleInstance();
    const HRSRC found = ::FindResourceExW(module, MAKEINTRESOURCEW(23), MAKEINTRESOURCEW(IDR_HELP_PAGE),
                                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const char* bytes = found ? static_cast<const char*>(::LockResource(::LoadResource(module, found))) : nullptr;
    return bytes ? std::string(bytes, ::SizeofResource(module, found)) : std::string();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

bool Blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
}

// The text of each <pre> block as the browser shows it: tags dropped, entities decoded.
std::vector<std::string> PreformattedBlocks(const std::string& page) {
    std::vector<std::string> blocks;
    for (size_t at = page.find("<pre"), end; at != std::string::npos; at = page.find("<pre", end)) {
        end = page.find("</pre>", at);
        std::string text;
        for (size_t i = page.find('>', at) + 1; i < end; ++i) {
            if (page[i] == '<') i = page.find('>', i);
            else if (page.compare(i, 4, "&lt;") == 0) text += '<', i += 3;
            else if (page.compare(i, 5, "&amp;") == 0) text += '&', i += 4;
            else text += page[i];
        }
        blocks.push_back(text.substr(2));  // after the line end that follows <pre>
    }
    return blocks;
}

TEST(HelpPage, IsAnsiTextWithCrLfLinesNoTitleNoCharacterSetAndOneDivisionOfContent) {
    const std::string page = HelpPageBytes();
    ASSERT_GT(page.size(), 2000u);
    for (size_t at = 0; at < page.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(page[at]);
        ASSERT_TRUE(c != 0 && c < 0x80) << "not plain ANSI text at " << at;  // no UTF-8, no byte order mark
        ASSERT_EQ(c == '\r', at + 1 < page.size() && page[at + 1] == '\n') << "bare CR or LF at " << at;
    }
    EXPECT_EQ(page.substr(page.size() - 2), "\r\n");
    std::string lower(page);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* absent : {"<title", "charset", "<meta", "encoding"}) {
        EXPECT_EQ(lower.find(absent), std::string::npos) << absent;
    }
    // All content in one division: nothing but blanks around it inside the body.
    ASSERT_EQ(Count(lower, "<div"), 1u);
    const size_t body = lower.find("<body>") + 6, open = lower.find("<div"), close = lower.find("</div>") + 6;
    ASSERT_TRUE(body < open && open < close && close < lower.find("</body>"));
    EXPECT_TRUE(Blank(page.substr(body, open - body)) && Blank(page.substr(close, lower.find("</body>") - close)));

    size_t previous = 0;
    for (const char* section : {"<h1 align=\"center\">Pelmora help.</h1>", ">Windows Script Components</a>",
                                ">IWebBrowser2</a>", "Browser Main Scripts.", ">HTMLWindowEvents</a>",
                                "URL Based Scripts.", "Script Examples."}) {
        SCOPED_TRACE(section);
        const size_t at = page.find(section);
        ASSERT_NE(at, std::string::npos);
        EXPECT_GT(at, previous) << "out of order";
        previous = at;
    }
    EXPECT_EQ(Count(page, "<ol>"), 2u) << "two numbered lists";
    EXPECT_EQ(Count(page, "<li>"), 8u) << "of four tasks each";
}

TEST(HelpPage, FiveExamplesSayWhatTheyDoAndCompileAsScriptComponents) {
    struct Case {
        const char *property, *event;  // what the script is bound to, the event it handles
        std::vector<std::string> mustContain;
    };
    const Case cases[] = {
        {"browser", "DocumentComplete", {"browser.Document.parentWindow.alert(\"complete URL: \" + Params.URL)"}},
        {"browser", "DocumentComplete",
         {"browser.ReadyState == 4", ".setInterval(", "5000", ".clearInterval(timer)", "browser.navigate2("}},
        {"browser", "DocumentComplete",
         {"createElement(\"b\")", "location.hostname", "location.href", "location.search", "body.firstChild"}},
        {"browser", "DocumentComplete",
         {"createElement(\"div\")", "onmouseover = MouseOver", "onmouseout = MouseOut", "\"red\"", "\"black\"",
          "captureEvents"}},
        {"window", "onload",
         {"\"WinHttp.WinHttpRequest.5.1\"", "\"ADODB.Stream\"", ".Type = 1", "\"c:\\\\temp\\\\\"", ", 2)", "catch"}},
    };
    const std::string page = HelpPageBytes();
    const std::vector<std::string> blocks = PreformattedBlocks(page);
    ASSERT_EQ(blocks.size(), std::size(cases));
    EXPECT_EQ(Count(page, "<pre class=\"code\">"), 5u) << "coloured blocks";
    EXPECT_EQ(Count(page, "<span class=\"comment\">"), Count(page, "</span>"));

    test::TempDir folder;
    const auto binds = [&](const std::string& name, const std::string& property, const std::string& event,
                           const std::string& code) {
        const std::wstring path = folder / std::wstring(name.begin(), name.end());
        test::WriteFileBytes(path, test::WscFile({{property, test::WscMemberKind::Property},
                                                  {event, test::WscMemberKind::EventMethod}},
                                                 test::WscPropertyCode(property) + code));
        com::ComPtr<IDispatch> script;
        return test::BindScript(path, script);
    };
    for (size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "example " << i + 1);
        const Case& example = cases[i];
        EXPECT_NE(page.find("<p>" + std::to_string(i + 1) + ". "), std::string::npos) << "no explanation";
        EXPECT_NE(blocks[i].find("function " + std::string(example.event) + "("), std::string::npos);
        for (const std::string& part : example.mustContain) EXPECT_NE(blocks[i].find(part), std::string::npos) << part;
        EXPECT_EQ(binds("example" + std::to_string(i) + ".WSC", example.property, example.event, blocks[i]), S_OK)
            << "the example does not compile";
    }
    // The check can fail: a script with a syntax error does not bind.
    EXPECT_NE(binds("broken.WSC", "browser", "DocumentComplete", "function DocumentComplete(\r\n"), S_OK);
}

}  // namespace
}  // namespace pelmora
