#pragma once
// What the page pane shows: the page's address, title, document kind and frames, and
// its text as a reader sees it, drawn from the HTML without tags, scripts or styles
// (blocks on lines of their own, list items numbered or marked, <pre> kept as
// written, the common character entities decoded).
#include <string>

namespace pelmora::browser {
class WebBrowser;
}

namespace pelmora::bandhost {

// Lines end in '\n'.
std::wstring HtmlToText(const std::wstring& html);
// The page pane of the browser's current page; lines end in "\r\n" for an edit control.
std::wstring PagePaneText(const browser::WebBrowser& browser);

}  // namespace pelmora::bandhost
