#pragma once
// How the caller describes a page to the stand-in: what its document says and which
// frames it holds. A URL nobody described loads as an HTML page without frames whose
// title is the URL.
#include <string>
#include <vector>

namespace pelmora::browser {

struct PageDescription {
    std::wstring url;
    std::wstring title;
    std::vector<std::wstring> frameUrls;
    // false: a document the HTML engine does not render (an image, a PDF): it has no
    // IHTMLDocument2, no window and no frames.
    bool isHtml = true;
};

}  // namespace pelmora::browser
