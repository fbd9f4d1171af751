#pragma once
// What a top browser shares with its frames and their pages: the described pages and
// the transcript, and how alerts are shown.
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "browser/PageDescription.h"
#include "browser/ResourcePage.h"
#include "browser/Transcript.h"

namespace pelmora::browser {

struct BrowserSession {
    std::map<std::wstring, PageDescription> pages;
    Transcript transcript;
    HWND frameWindow = nullptr;  // owns the alerts' boxes
    bool modalAlerts = false;
    std::function<HRESULT(const std::wstring&, bool)> barListener;

    // A described page first, then the res: protocol, else a plain page.
    [[nodiscard]] PageLoad Load(const std::wstring& url) const {
        const auto found = pages.find(url);
        if (found != pages.end()) return PageLoad{found->second, S_OK};
        if (IsResUrl(url)) return LoadResPage(url);
        return PageLoad{PageDescription{url, url, {}, true, {}}, S_OK};
    }
};

}  // namespace pelmora::browser
