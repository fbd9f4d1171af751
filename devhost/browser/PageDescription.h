#pragma once
// How the caller describes a page to the stand-in: what its document says and which
// frames it holds. A URL nobody described loads as an HTML page without frames whose
// title is the URL; a res: URL loads the page from a module's resources.
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
    // The document's HTML text, where the stand-in has one (res: pages, error
    // documents); empty for pages described without it.
    std::wstring source = {};
};

}  // namespace pelmora::browser
