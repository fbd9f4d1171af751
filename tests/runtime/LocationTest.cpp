// The parts a location keeps and the URL script names it makes, including names a
// web site could use to leave the URL-script folder or break a file name.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/HtmlLocation.h"
#include "runtime/CollectedLocations.h"
#include "runtime/Location.h"
#include "runtime/UrlScriptName.h"

namespace pelmora {
namespace {

CLocation LocationOf(const std::wstring& url) { return CLocation(browser::MakeHtmlLocation(url)); }

// A location whose getters all answer something other than S_OK.
class FailingLocation : public browser::HtmlLocation {
public:
    HRESULT STDMETHODCALLTYPE get_href(BSTR*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE get_protocol(BSTR*) override { return E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE get_hostname(BSTR*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE get_port(BSTR*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE get_pathname(BSTR*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE get_search(BSTR*) override { return E_FAIL; }
};

TEST(LocationTest, KeepsTheLocationsParts) {
    const CLocation location = LocationOf(L"http://shop.example.org:81/news/index.html?q=1#top");
    EXPECT_EQ(L"shop.example.org", location.GetHostName());
    EXPECT_EQ(L"http://shop.example.org:81/news/index.html?q=1#top", location.GetHref());
    EXPECT_EQ(L"/news/index.html", location.GetPathName());
    EXPECT_EQ(L"81", location.GetPort());
    EXPECT_EQ(L"http:", location.GetProtocol());
    EXPECT_EQ(L"?q=1", location.GetSearch());
}

TEST(LocationTest, ScriptNamesAreHostAndPathWithSuffixWithoutSearchOrHash) {
    const CLocation page = LocationOf(L"http://shop.example.org/news/index.html?q=1#top");
    EXPECT_EQ(L"shop.example.org.WSC", page.GetSiteScriptName());
    EXPECT_EQ(L"shop.example.org/news/index.html.WSC", page.GetPageScriptName());
    const CLocation root = LocationOf(L"http://shop.example.org/");
    EXPECT_EQ(L"shop.example.org.WSC", root.GetSiteScriptName());
    EXPECT_EQ(L"", root.GetPageScriptName());
    const CLocation folder = LocationOf(L"http://shop.example.org/news/");
    EXPECT_EQ(L"shop.example.org/news/.WSC", folder.GetPageScriptName());
    EXPECT_TRUE(folder.IsPageScriptNameUsable());
}

TEST(LocationTest, NamesKeepLetterCaseAndEscapes) {
    const CLocation upper = LocationOf(L"http://Shop.example.org/News/A%20B.html");
    EXPECT_EQ(L"Shop.example.org/News/A%20B.html.WSC", upper.GetPageScriptName());
    EXPECT_NE(LocationOf(L"http://Shop.example.org/news/a%20b.html").GetPageScriptName(),
              upper.GetPageScriptName());
}

TEST(LocationTest, FailingGettersLeaveEveryPartEmpty) {
    com::ComPtr<IHTMLLocation> failing(static_cast<IHTMLLocation*>(new FailingLocation()));
    const CLocation location(failing);
    EXPECT_EQ(L"", location.GetHref());
    EXPECT_EQ(L"", location.GetHostName());
    EXPECT_EQ(L"", location.GetProtocol());
    EXPECT_EQ(L".WSC", location.GetSiteScriptName());
    EXPECT_EQ(L".WSC", location.GetPageScriptName());  // an empty path is not the root "/"
    EXPECT_FALSE(location.IsSiteScriptNameUsable());
    EXPECT_FALSE(location.IsPageScriptNameUsable());
    const CLocation none{com::ComPtr<IHTMLLocation>()};
    EXPECT_EQ(L".WSC", none.GetPageScriptName());
}

TEST(LocationTest, DocumentWithoutHostHasUnusableNames) {
    const CLocation file = LocationOf(L"file:///C:/pages/a.html");
    EXPECT_EQ(L"", file.GetHostName());
    EXPECT_EQ(L".WSC", file.GetSiteScriptName());
    EXPECT_FALSE(file.IsSiteScriptNameUsable());
    EXPECT_FALSE(file.IsPageScriptNameUsable());
}

TEST(UrlScriptNameTest, HostOrPathSegmentsThatLeaveTheFolderOrBreakAFileNameAreUnusable) {
    struct Case {
        const wchar_t* host;
        const wchar_t* path;
        bool usable;
    };
    const Case cases[] = {
        {L"h.example", L"/news/index.html", true}, {L"h.example", L"/news/", true},
        {L"h.example", L"/", true},                {L"h.example", L"", true},
        {L"", L"/a.html", false},                  {L".", L"/a.html", false},
        {L"..", L"/a.html", false},                {L"h.example", L"/a/../../x.html", false},
        {L"h.example", L"/./x.html", false},       {L"h.example", L"//x.html", false},
        {L"h.example", L"/a//", false},            {L"h.example", L"/a\\..\\b", false},
        {L"h:1", L"/a.html", false},               {L"h.example", L"/a:b.html", false},
        {L"h.example", L"/a*b", false},            {L"h.example", L"/a?b", false},
        {L"h.example", L"/a|b", false},            {L"h.example", L"/a\"b", false},
        {L"h.example", L"/a<b>", false},           {L"h.example", L"/a\tb", false},
        {L"h.example", L"/..", false},             {L"h.example", L"//", false},
        {L"h.example", L"/a//b/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.host) + L" " + c.path);
        EXPECT_EQ(c.usable, IsUsableUrlScriptPath(c.host, c.path));
    }
    EXPECT_TRUE(IsUsableUrlNameComponent(L"shop.example.org"));
    EXPECT_FALSE(IsUsableUrlNameComponent(L"a/b"));
}

// The file system would open a device for these names, or drop a trailing "." or blank
// and so open a file of another name.
TEST(UrlScriptNameTest, DeviceNamesAndTrailingDotsOrBlanksAreUnusableAnywhere) {
    for (const wchar_t* unusable : {L"con", L"CON", L"Con.txt", L"con .txt", L"prn", L"aux.html", L"NuL", L"com1",
                                    L"COM9.x", L"lpt9", L"com0", L"com\u00B9", L"lpt\u00B3.a", L"conin$",
                                    L"CONOUT$.txt", L"x.", L"x ", L"x. .", L"...", L" "}) {
        SCOPED_TRACE(unusable);
        EXPECT_FALSE(IsUsableUrlNameComponent(unusable));
        EXPECT_FALSE(IsUsableUrlScriptPath(unusable, L"/"));
        EXPECT_FALSE(IsUsableUrlScriptPath(L"h.example", L"/news/" + std::wstring(unusable) + L"/index.html"));
    }
    for (const wchar_t* usable : {L"console", L"com10", L"lpt", L"x.con", L"auxiliary.html", L" x", L"com\u00B4"})
        EXPECT_TRUE(IsUsableUrlNameComponent(usable)) << usable;
}

TEST(LocationTest, UsabilityFollowsTheLocationsHostAndPath) {
    EXPECT_TRUE(LocationOf(L"http://h.example/news/index.html").IsPageScriptNameUsable());
    const CLocation escaped = LocationOf(L"http://h.example/a%7Cb/x.html");  // %7C stays escaped: usable
    EXPECT_TRUE(escaped.IsPageScriptNameUsable());
    const CLocation dotted = LocationOf(L"http://h.example/a:b/x.html");
    EXPECT_EQ(L"/a:b/x.html", dotted.GetPathName());
    EXPECT_FALSE(dotted.IsPageScriptNameUsable());
    EXPECT_TRUE(dotted.IsSiteScriptNameUsable());
}

TEST(UrlScriptNameTest, KeyTurnsSlashesIntoFoldersAndAFolderPageIntoTheFoldersScript) {
    EXPECT_EQ(L"\\h.example.WSC", UrlScriptKey(L"h.example.WSC"));
    EXPECT_EQ(L"\\h.example\\news\\index.html.WSC", UrlScriptKey(L"h.example/news/index.html.WSC"));
    EXPECT_EQ(L"\\h.example\\news.WSC", UrlScriptKey(L"h.example/news/.WSC"));
    EXPECT_EQ(L"\\h.example\\a\\b.WSC", UrlScriptKey(L"h.example/a/b/.WSC"));
}

// The collected pages are the most recently completed ones: a page seen again is new
// again, and the least recent goes once the limit is passed.
TEST(LocationHistoryTest, KeepsTheMostRecentDistinctPagesInHrefOrder) {
    const auto page = [](const std::wstring& href) { return std::make_shared<const CLocation>(nullptr, com::Bstr(href.c_str())); };
    const auto hrefs = [](const LocationHistory& history) {
        std::vector<std::wstring> all;
        for (const auto& location : history.ByHref()) all.push_back(location->GetHref());
        return all;
    };
    LocationHistory history(3);
    for (const wchar_t* href : {L"c", L"a", L"b"}) history.Add(page(href));
    const auto first = history.Find(L"c");  // seen again
    ASSERT_TRUE(first);
    history.Add(page(L"c"));  // already kept: the first location stays
    EXPECT_EQ(first, history.Find(L"c"));
    history.Add(page(L"d"));
    EXPECT_EQ((std::vector<std::wstring>{L"b", L"c", L"d"}), hrefs(history));
    EXPECT_FALSE(history.Find(L"a"));

    LocationHistory days;
    for (int i = 0; i <= static_cast<int>(LocationHistory::kLimit); ++i) days.Add(page(L"p" + std::to_wstring(i)));
    EXPECT_EQ(LocationHistory::kLimit, days.size());
    EXPECT_FALSE(days.Find(L"p0"));
    EXPECT_TRUE(days.Find(L"p1000"));
}

}  // namespace
}  // namespace pelmora
