// Hundreds of hostile URLs, made from a table of hostile host names and path segments
// and their combinations, through the three places that turn a URL into a file name:
// the location's script names, the browser scriptlet attaching a checked URL tree's
// scripts on DocumentComplete, and the Add URL tree writing its checked scripts. Not one
// file or folder may appear outside the URL-script folder, and a name must never reach
// a file other than the one it spells (a device, or the file the file system makes of
// a trailing "." or blank).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "MessageBoxRecorder.h"
#include "TestSupport.h"
#include "browser/BrowserSession.h"
#include "browser/HtmlDocument.h"
#include "browser/HtmlLocation.h"
#include "browser/HtmlWindow.h"
#include "browser/WebBrowser.h"
#include "component/FakeBar.h"
#include "component/PelmoraApp.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/EventTestSupport.h"
#include "runtime/IEBrowserScriptlet.h"
#include "runtime/ScriptEditing.h"
#include "runtime/Location.h"
#include "runtime/UrlScriptName.h"
#include "state/StateStorage.h"
#include "ui/FileBrowser.h"
#include "ui/ScriptTreeHost.h"

namespace pelmora {
namespace {

constexpr wchar_t kStateName[] = L"\\tests\\hostile\\main.WSC";
constexpr uint32_t kCheckedState = 4u << 12;
using test::kWindowEventsId;

struct HostileUrl {
    std::wstring host;
    std::wstring path;
    int shape;  // the row of the table it was made by
    [[nodiscard]] std::wstring Href() const { return L"http://" + host + path; }
};

// The table, then its combinations. No segment is the plain form of another with a
// trailing "." or blank, so a file the file system makes of one is told apart.
std::vector<HostileUrl> HostileCorpus() {
    const std::wstring longName(300, L'n');
    const std::vector<std::wstring> segments = {
        // dot segments and encoded dots
        L"..", L".", L"...", L"....", L"%2e%2e", L"%2E%2E", L".%2e", L"%2e.", L"%252e%252e", L"..%2f..", L"%2e%2e%5c",
        // device names, with extensions and in any case
        L"con", L"CON", L"Con.html", L"aux.js", L"NUL", L"prn.txt", L"com1", L"COM9.WSC", L"lpt1", L"LPT9.htm",
        L"conin$", L"CONOUT$", L"com\u00B9", L"con .txt", L"nul.tar.gz",
        // colons and stream names
        L"a:b", L"page.html::$DATA", L"page:stream", L"c:", L":$DATA", L"s.WSC:evil",
        // trailing dots and blanks
        L"trail.", L"dots..", L"blank ", L"mixed. ", L" ", L"both . .",
        // control characters
        L"ctl\x01", L"\t", L"line\nfeed", L"cr\r", L"\x1f", L"del\x7f",
        // 300-character names, and forbidden characters
        longName, longName.substr(0, 295) + L".html", L"star*", L"ask?", L"pipe|", L"quote\"", L"<angle>",
        L"back\\slash", L"..\\..",
        // empty segments
        L"",
    };
    const std::vector<std::wstring> hosts = {
        L"..", L".", L"...", L"con", L"con.example.org", L"lpt1", L"h.example.", L"h.example ", L"", L"a:b",
        L"%2e%2e", longName, L"ctl\x01host", L"nul.", L"star*host",
    };
    std::vector<HostileUrl> corpus;
    for (const std::wstring& segment : segments) {
        corpus.push_back({L"h.example", L"/" + segment, 0});
        corpus.push_back({L"h.example", L"/" + segment + L"/page.html", 1});
        corpus.push_back({L"h.example", L"/folder/" + segment + L"/", 2});
    }
    for (const std::wstring& host : hosts) {
        corpus.push_back({host, L"/", 3});
        corpus.push_back({host, L"/page.html", 3});
    }
    for (const wchar_t* first : {L"..", L"%2e%2e", L"trail.", L"con", L""}) {
        for (const wchar_t* second : {L"..", L".", L"aux", L"blank ", L""}) {
            corpus.push_back({L"h.example", L"/" + std::wstring(first) + L"/" + second + L"/evil.html", 4});
        }
    }
    for (const wchar_t* path : {L"/../../../evil.html", L"/a/../../../../evil.html", L"/..\\..\\evil.html", L"//",
                                L"///evil.html", L"/./././evil.html"}) {
        corpus.push_back({L"h.example", path, 4});
    }
    return corpus;
}

// Every file and folder below a folder, relative to it, in lower case.
void Walk(const std::wstring& folder, const std::wstring& relative, std::set<std::wstring>& found) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW((folder + relative + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = relative + L"\\" + name;
        for (wchar_t& c : path) c = static_cast<wchar_t>(::towlower(c));
        found.insert(path);
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            Walk(folder, relative + L"\\" + name, found);
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

std::set<std::wstring> TreeBelow(const std::wstring& folder) {
    std::set<std::wstring> found;
    Walk(folder, L"", found);
    return found;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring folder(buffer, length);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) + 1, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

// Whether the file system opens what the path spells: not a device, nothing dropped.
bool ResolvesInPlace(const std::wstring& path) { return FullPath(path) == path; }

bool IsBelow(const std::wstring& path, const std::wstring& folder) {
    return path.size() > folder.size() + 1 && ::CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()) + 1,
                                                                     (folder + L"\\").c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A frame whose document completed: the browser object of DocumentComplete's pDisp.
class FrameStandIn : public com::ComBase<browser::ShDocVwDispatch<browser::UnsupportedWebBrowser2>, IDispatch> {
public:
    FrameStandIn() noexcept : ComBase(IID_IWebBrowser2) {}
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override {
        if (!p) return E_POINTER;
        return document.CopyTo(p);
    }
    com::ComPtr<IDispatch> document;
};

// A location that cannot tell its href, as of a document the browser is tearing down.
class UnreadableHref : public browser::HtmlLocation {
public:
    HRESULT STDMETHODCALLTYPE get_href(BSTR*) override { return E_ACCESSDENIED; }
};

// One completed page of the stand-in's objects, with its location's parts as given,
// not as a URL parser would clean them.
struct Page {
    Page(const std::shared_ptr<browser::BrowserSession>& session, const HostileUrl& url, bool hrefReadable = true) {
        browser::UrlParts parts;
        parts.href = url.Href();
        parts.protocol = L"http:";
        parts.hostName = url.host;
        parts.pathName = url.path;
        browser::HtmlLocation* madeLocation = hrefReadable
                                                  ? static_cast<browser::HtmlLocation*>(new browser::HtmlLocation())
                                                  : new UnreadableHref();
        location = com::ComPtr<IHTMLLocation>(static_cast<IHTMLLocation*>(madeLocation));
        madeLocation->Init(parts);
        document = com::ComPtr<browser::HtmlDocument>(new browser::HtmlDocument());
        document->Init(parts.href, parts.href, location);
        window = com::ComPtr<browser::HtmlWindow>(new browser::HtmlWindow());
        window->Init(session, nullptr, com::ComPtr<IHTMLDocument2>(static_cast<IHTMLDocument2*>(document.get())),
                     location, parts.href);
        document->SetWindow(com::ComPtr<IHTMLWindow2>(static_cast<IHTMLWindow2*>(window.get())));
        com::ComPtr<FrameStandIn> madeFrame(new FrameStandIn());
        madeFrame->document = com::ComPtr<IDispatch>(static_cast<IHTMLDocument2*>(document.get()));
        frame = com::ComPtr<IDispatch>(static_cast<IWebBrowser2*>(madeFrame.get()));
    }
    ~Page() {
        window->FireOnunload();  // the window scriptlets leave
        window->Close();
        document->Close();
    }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    com::ComPtr<IHTMLLocation> location;
    com::ComPtr<browser::HtmlDocument> document;
    com::ComPtr<browser::HtmlWindow> window;
    com::ComPtr<IDispatch> frame;
};

class HostileUrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetPelmoraApp().SetCurrentBar(&bar);
        ASSERT_TRUE(host.Open()) << ::GetLastError();
        tree = host.AddTree(300, {5, 5, 340, 400});
        ASSERT_TRUE(tree);
        // A URL script as generated, to plant wherever a name could lead.
        ASSERT_NO_FATAL_FAILURE(
            test::WriteGeneratedScript(test::LoadWindowEventsTypeInfo(), L"window", root / L"template.WSC"));
        urlScript = test::ReadFileBytes(root / L"template.WSC");
        ASSERT_TRUE(::DeleteFileW((root / L"template.WSC").c_str()));
    }
    void TearDown() override { GetPelmoraApp().SetCurrentBar(nullptr); }

    // Writes the script at path unless something is there; makes the missing folders
    // on the way, but only below the test's own folder.
    bool Plant(const std::wstring& path) {
        if (!IsBelow(path, root.path()) || ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
        for (size_t at = root.path().size() + 1; (at = path.find(L'\\', at)) != std::wstring::npos; ++at) {
            ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        }
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(urlScript.size());
        const bool whole = ::WriteFile(file, urlScript.data(), size, &written, nullptr) && written == size;
        ::CloseHandle(file);
        return whole;
    }

    test::MessageBoxRecorder boxes;
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::LogCapture log;
    test::TempDir root;
    test::FakeBar bar;
    test::ScriptTreeHost host;
    HWND tree = nullptr;
    std::string urlScript;
    const std::vector<HostileUrl> corpus = HostileCorpus();
};

TEST_F(HostileUrlTest, NoNameFromAHostileUrlReachesAFileOutsideTheUrlScriptFolderOrAnotherFileThanItSpells) {
    ASSERT_GE(corpus.size(), 200u);
    const std::wstring urlDirectory = FullPath(root / L"urls");
    ASSERT_TRUE(::CreateDirectoryW(urlDirectory.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((urlDirectory + L"\\h.example").c_str(), nullptr));

    // 1. The location's names: a usable one names a file in place below the folder.
    struct Names {
        std::wstring siteKey, pageKey;
        bool siteUsable = false, pageUsable = false;
    };
    const auto session = std::make_shared<browser::BrowserSession>();
    std::vector<Names> names;
    size_t usableNames = 0, unusableNames = 0;
    for (const HostileUrl& url : corpus) {
        SCOPED_TRACE(url.Href());
        Page page(session, url);
        const CLocation location(page.location);
        Names n;
        n.siteKey = UrlScriptKey(location.GetSiteScriptName());
        n.siteUsable = location.IsSiteScriptNameUsable();
        const std::wstring pageName = location.GetPageScriptName();
        n.pageKey = pageName.empty() ? std::wstring() : UrlScriptKey(pageName);
        n.pageUsable = !pageName.empty() && location.IsPageScriptNameUsable();
        for (const auto& [key, usable] : {std::pair{n.siteKey, n.siteUsable}, std::pair{n.pageKey, n.pageUsable}}) {
            if (key.empty()) continue;
            (usable ? usableNames : unusableNames)++;
            if (usable) {
                EXPECT_TRUE(ResolvesInPlace(urlDirectory + key)) << win::WideToAnsi(key);
            }
        }
        names.push_back(n);
    }

    // 2. The browser scriptlet. A script is planted wherever a name leads other than to
    // the file it spells (an alias, a folder above), and for a few usable names; those,
    // and every name that is unusable or leads elsewhere, are checked in the URL tree.
    CRootStorage marks(kStateName);
    std::set<std::wstring> plantedUsable;
    size_t planted = 0;
    for (const Names& n : names) {
        for (const auto& [key, usable] : {std::pair{n.siteKey, n.siteUsable}, std::pair{n.pageKey, n.pageUsable}}) {
            if (key.empty()) continue;
            const std::wstring path = urlDirectory + key;
            const bool inPlace = ResolvesInPlace(path);
            if (!inPlace || (usable && plantedUsable.size() < 6 && key != L"\\h.example.WSC")) {
                if (Plant(FullPath(path))) {
                    ++planted;
                    if (usable && inPlace) plantedUsable.insert(key);
                }
            }
            if (!usable || !inPlace || plantedUsable.count(key)) marks.SetValue(key, kCheckedState);
        }
    }
    ASSERT_TRUE(marks.Save());
    test::WriteGeneratedScript(test::LoadBrowserEventsTypeInfo(), L"browser", root / L"main.WSC");
    const auto urlTree = std::make_shared<CFileBrowser>(kStateName);
    urlTree->Load(tree, urlDirectory);

    const std::wstring temp = FullPath(TempFolder());
    ASSERT_TRUE(IsBelow(urlDirectory, temp));
    const std::set<std::wstring> tempBefore = TreeBelow(temp);
    auto browserObject = browser::CreateWebBrowser();
    com::ComPtr<CIEBrowserScriptlet> main(new CIEBrowserScriptlet(urlTree, root.path(), L"\\main.WSC"));
    ASSERT_EQ(S_OK, main->Attach(static_cast<IWebBrowser2*>(browserObject.get())));
    size_t attached = 0;
    std::set<std::wstring> attachedKeys;
    for (size_t i = 0; i < corpus.size(); ++i) {
        SCOPED_TRACE(corpus[i].Href());
        bar.events.clear();
        Page page(session, corpus[i]);
        main->OnDocumentComplete(page.frame);
        for (const std::wstring& event : bar.events) {
            if (event.rfind(L"attached ", 0) != 0) continue;
            ++attached;
            const std::wstring key = event.substr(9 + kWindowEventsId.size());
            attachedKeys.insert(key);
            EXPECT_TRUE((key == names[i].siteKey && names[i].siteUsable) ||
                        (key == names[i].pageKey && names[i].pageUsable))
                << win::WideToAnsi(key);
            EXPECT_TRUE(ResolvesInPlace(urlDirectory + key)) << win::WideToAnsi(key);
        }
    }
    EXPECT_EQ(plantedUsable, attachedKeys);
    EXPECT_EQ(S_OK, main->Detach());
    main.reset();
    EXPECT_EQ(tempBefore, TreeBelow(temp)) << "the scriptlet makes no file";

    // 3. The Add URL tree of every location, in its two kinds (URL: host and path; Host:
    // the host alone), every item checked, written out. One tree per row of the table:
    // in one tree, the script item of one row would get the items of the next below
    // it, which are written to the folder above (the script tree's way, not a name's).
    const std::wstring urlFolder = FullPath(root / L"add");
    ASSERT_TRUE(::CreateDirectoryW(urlFolder.c_str(), nullptr));
    std::vector<std::shared_ptr<CFileBrowser::UrlPathList>> lists;
    for (int i = 0; i < 6; ++i) lists.push_back(std::make_shared<CFileBrowser::UrlPathList>());
    const auto& hostKind = lists.back();
    for (const HostileUrl& url : corpus) {
        if (url.path != L"/") lists[static_cast<size_t>(url.shape)]->push_back(url.host + url.path);
        if (!url.host.empty()) hostKind->push_back(url.host);
    }
    size_t pathCount = 0;
    std::set<std::wstring> itemPaths;  // every item as the tree holds it, in lower case
    for (const auto& paths : lists) {
        pathCount += paths->size();
        for (const std::wstring& path : *paths) {
            std::wstring item;
            for (std::wstring rest = path;;) {
                const size_t slash = rest.find(L'/');
                item += L"\\" + rest.substr(0, slash);
                std::wstring lower = item;
                for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
                itemPaths.insert(lower);
                itemPaths.insert(lower + L".wsc");
                if (slash == std::wstring::npos || slash + 1 == rest.size()) break;
                rest = rest.substr(slash + 1);
            }
        }
    }
    const std::set<std::wstring> before = TreeBelow(temp);
    std::vector<std::wstring> targets;  // where each item would go if nothing were checked
    for (const std::wstring& item : itemPaths) {
        const std::wstring target = FullPath(urlFolder + item);
        if (!IsBelow(target, urlFolder) && ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
            targets.push_back(target);
        }
    }
    CFileBrowser addUrls{L""};
    const HWND addUrlTree = host.AddTree(301, {5, 5, 340, 400});
    for (const auto& paths : lists) {
        addUrls.Clear();
        addUrls.LoadUrls(addUrlTree, paths);
        addUrls.CreateCheckedScripts(urlFolder);
    }

    std::set<std::wstring> outside;
    size_t made = 0;
    std::wstring lowerFolder = urlFolder.substr(temp.size());
    for (wchar_t& c : lowerFolder) c = static_cast<wchar_t>(::towlower(c));
    for (const std::wstring& entry : TreeBelow(temp)) {
        if (before.count(entry)) continue;
        if (entry.rfind(lowerFolder + L"\\", 0) != 0) {
            outside.insert(entry);
            continue;
        }
        ++made;
        // Made under the name the tree item spells, not one the file system made of it.
        EXPECT_TRUE(itemPaths.count(entry.substr(lowerFolder.size()))) << win::WideToAnsi(entry);
    }
    EXPECT_TRUE(outside.empty()) << win::WideToAnsi(outside.empty() ? L"" : *outside.begin());
    for (const std::wstring& target : targets) {
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(target.c_str())) << win::WideToAnsi(target);
    }
    EXPECT_TRUE(test::FileExists(urlFolder + L"\\h.example.WSC"));
    EXPECT_TRUE(test::FileExists(urlFolder + L"\\h.example\\%2e%2e\\page.html.WSC"));

    const std::string records = log.Added();
    std::printf("[ hostile  ] %zu hostile URLs: %zu usable and %zu unusable script names; %zu scripts planted, %zu "
                "attached, all in place; %zu Add URL paths, %zu files and folders made inside, %zu outside, %zu "
                "unusable-name records, %zu message boxes\n",
                corpus.size(), usableNames, unusableNames, planted, attached, pathCount, made, outside.size(),
                test::CountOf(records, "Unusable URL script name ("), boxes.boxes().size());
    EXPECT_EQ(6u, plantedUsable.size());
}

// A document whose href cannot be read is no page seen before: it runs the scripts of
// its own host, never those of the earlier document, and is not collected.
TEST_F(HostileUrlTest, ADocumentWhoseHrefCannotBeReadGetsOnlyItsOwnScripts) {
    const std::wstring urlDirectory = FullPath(root / L"urls");
    CRootStorage marks(kStateName);
    for (const wchar_t* name : {L"\\a.example.WSC", L"\\b.example.WSC"}) {
        ASSERT_TRUE(Plant(urlDirectory + name));
        marks.SetValue(name, kCheckedState);
    }
    ASSERT_TRUE(marks.Save());
    test::WriteGeneratedScript(test::LoadBrowserEventsTypeInfo(), L"browser", root / L"main.WSC");
    const auto urlTree = std::make_shared<CFileBrowser>(kStateName);
    ASSERT_EQ(S_OK, urlTree->Load(tree, urlDirectory));
    auto browserObject = browser::CreateWebBrowser();
    com::ComPtr<CIEBrowserScriptlet> main(new CIEBrowserScriptlet(urlTree, root.path(), L"\\main.WSC"));
    ASSERT_EQ(S_OK, main->Attach(static_cast<IWebBrowser2*>(browserObject.get())));
    const auto session = std::make_shared<browser::BrowserSession>();
    for (const wchar_t* host : {L"a.example", L"b.example"}) {
        bar.events.clear();
        Page page(session, HostileUrl{host, L"/", 0}, false);
        main->OnDocumentComplete(page.frame);
        EXPECT_EQ((std::vector<std::wstring>{L"attached " + kWindowEventsId + L"\\" + host + L".WSC",
                                             L"locations collected"}),
                  bar.events);
    }
    EXPECT_EQ(0u, main->GetCollectedCount());
    EXPECT_EQ(S_OK, main->Detach());
}

}  // namespace
}  // namespace pelmora
