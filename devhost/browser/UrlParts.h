#pragma once
// The parts of a URL as a document location reports them ("http:", "shop.example.org",
// "8080" or "", "/news/index.html", "?q=1", "#top"), split by the platform's URL
// functions.
#include <string>

namespace pelmora::browser {

struct UrlParts {
    std::wstring href;
    std::wstring protocol;
    std::wstring hostName;
    std::wstring port;
    std::wstring pathName;
    std::wstring search;
    std::wstring hash;
};

// A URL the platform cannot split keeps only its href.
UrlParts SplitUrl(const std::wstring& url);

}  // namespace pelmora::browser
