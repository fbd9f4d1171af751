#pragma once
// What a top browser shares with its frames and their pages: the described pages and
// the transcript.
#include <map>
#include <string>

#include "browser/PageDescription.h"
#include "browser/Transcript.h"

namespace pelmora::browser {

struct BrowserSession {
    std::map<std::wstring, PageDescription> pages;
    Transcript transcript;

    [[nodiscard]] PageDescription Describe(const std::wstring& url) const {
        const auto found = pages.find(url);
        if (found != pages.end()) return found->second;
        return PageDescription{url, url, {}, true};
    }
};

}  // namespace pelmora::browser
