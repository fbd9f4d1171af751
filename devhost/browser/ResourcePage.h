#pragma once
// Pages of the res: protocol, as Internet Explorer reads them from a module's
// resources:
//   res://<module path>/<name>            an HTML resource (RT_HTML)
//   res://<module path>/<type>/<name>     a resource of another type
// The module path may hold blanks, as is or as %20 (every %XX of the URL is decoded).
// A name or type of digits, with or without a leading '#', is numeric; any other is a
// string name. The module is mapped as a data file only: nothing of it runs. The
// page's text is the resource's bytes in the ANSI code page, which is how the browser
// reads an HTML page that declares no character set.
#include <windows.h>

#include <string>

#include "browser/PageDescription.h"

namespace pelmora::browser {

// What a navigation loads: the page, or the status that NavigateError reports and the
// error document the browser shows instead.
struct PageLoad {
    PageDescription page;
    HRESULT status = S_OK;
};

[[nodiscard]] bool IsResUrl(const std::wstring& url);

// The page of a res: URL. A module that cannot be mapped or a resource it lacks is
// INET_E_RESOURCE_NOT_FOUND, a URL without a module or name INET_E_INVALID_URL; each
// comes with the error document.
PageLoad LoadResPage(const std::wstring& url);

// The document the browser shows for a failed navigation: an HTML page at the URL
// that was asked for, naming the reason and the status.
PageDescription ErrorDocument(const std::wstring& url, HRESULT status, const std::wstring& reason);

// The text between <title> and </title>, blanks trimmed; empty without one.
std::wstring HtmlTitle(const std::wstring& html);

}  // namespace pelmora::browser
