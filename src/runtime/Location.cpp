#include "runtime/Location.h"

#include <string_view>
#include <utility>

#include "runtime/UrlScriptName.h"

namespace pelmora {

namespace {

constexpr wchar_t kScriptSuffix[] = L".WSC";

using LocationGetter = HRESULT (STDMETHODCALLTYPE IHTMLLocation::*)(BSTR*);

// Only a getter that answers S_OK fills the part; the string is taken over as it is.
// A string that comes with any other answer is still ours to free.
com::Bstr ReadPart(IHTMLLocation* location, LocationGetter getter) {
    if (!location) return {};
    BSTR value = nullptr;
    const HRESULT hr = (location->*getter)(&value);
    com::Bstr part = com::Bstr::Attach(value);
    if (hr != S_OK) return {};
    return part;
}

bool IsRootPath(const com::Bstr& pathName) { return pathName.str() == L"/"; }

}  // namespace

CLocation::CLocation(com::ComPtr<IHTMLLocation> location) : CLocation(location, ReadHref(location.get())) {}

CLocation::CLocation(com::ComPtr<IHTMLLocation> location, com::Bstr href)
    : hostName_(ReadPart(location.get(), &IHTMLLocation::get_hostname)),
      href_(std::move(href)),
      pathName_(ReadPart(location.get(), &IHTMLLocation::get_pathname)),
      port_(ReadPart(location.get(), &IHTMLLocation::get_port)),
      protocol_(ReadPart(location.get(), &IHTMLLocation::get_protocol)),
      search_(ReadPart(location.get(), &IHTMLLocation::get_search)) {}

CLocation::~CLocation() = default;

com::Bstr CLocation::ReadHref(IHTMLLocation* location) { return ReadPart(location, &IHTMLLocation::get_href); }

std::wstring CLocation::GetSiteScriptName() const { return hostName_.str() + kScriptSuffix; }

std::wstring CLocation::GetPageScriptName() const {
    if (IsRootPath(pathName_)) return {};
    return hostName_.str() + pathName_.str() + kScriptSuffix;
}

bool CLocation::IsSiteScriptNameUsable() const noexcept {
    return IsUsableUrlNameComponent(std::wstring_view(hostName_.get() ? hostName_.get() : L"", hostName_.length()));
}

bool CLocation::IsPageScriptNameUsable() const noexcept {
    const std::wstring_view host(hostName_.get() ? hostName_.get() : L"", hostName_.length());
    const std::wstring_view path(pathName_.get() ? pathName_.get() : L"", pathName_.length());
    return IsUsableUrlScriptPath(host, path);
}

}  // namespace pelmora
