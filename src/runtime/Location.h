#pragma once
// The parts of one document's location, read once when the document completes, and
// the names of the URL scripts that belong to it: the site script (host name + ".WSC")
// and the page script (host name + path name + ".WSC", none for the root page "/").
// A location never changes after construction.
#include <mshtml.h>

#include <string>
#include <string_view>

#include "framework/com/Bstr.h"
#include "framework/com/ComPtr.h"

namespace pelmora {

class CLocation {
public:
    // Reads host name, href, path name, port, protocol and search; a getter that does
    // not answer S_OK leaves its part empty (a string it returned all the same is
    // freed). With no location every part is empty.
    explicit CLocation(com::ComPtr<IHTMLLocation> location);
    // The same with the href read beforehand by ReadHref.
    CLocation(com::ComPtr<IHTMLLocation> location, com::Bstr href);
    // The href as the constructor reads it: empty unless the getter answers S_OK.
    [[nodiscard]] static com::Bstr ReadHref(IHTMLLocation* location);
    virtual ~CLocation();
    CLocation(const CLocation&) = delete;
    CLocation& operator=(const CLocation&) = delete;

    [[nodiscard]] std::wstring GetHostName() const { return hostName_.str(); }
    [[nodiscard]] std::wstring GetHref() const { return href_.str(); }
    [[nodiscard]] std::wstring_view Href() const noexcept {
        return href_.get() ? std::wstring_view(href_.get(), href_.length()) : std::wstring_view();
    }
    [[nodiscard]] std::wstring GetPathName() const { return pathName_.str(); }
    [[nodiscard]] std::wstring GetPort() const { return port_.str(); }
    [[nodiscard]] std::wstring GetProtocol() const { return protocol_.str(); }
    [[nodiscard]] std::wstring GetSearch() const { return search_.str(); }

    [[nodiscard]] std::wstring GetSiteScriptName() const;
    // Empty for the root page (path name exactly "/").
    [[nodiscard]] std::wstring GetPageScriptName() const;

    // Whether the name can be used as a file below the URL-script folder: a host or
    // path segment that is empty, "." or "..", holds a character Windows forbids in
    // file names, ends in "." or a blank, or is a device name such as "con.txt",
    // makes it unusable (it could leave the folder, open another file or a device,
    // or fail to open).
    [[nodiscard]] bool IsSiteScriptNameUsable() const noexcept;
    [[nodiscard]] bool IsPageScriptNameUsable() const noexcept;

private:
    com::Bstr hostName_;
    com::Bstr href_;
    com::Bstr pathName_;
    com::Bstr port_;
    com::Bstr protocol_;
    com::Bstr search_;
};

}  // namespace pelmora
