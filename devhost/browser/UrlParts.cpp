#include "browser/UrlParts.h"

#include <windows.h>
#include <shlwapi.h>
#include <wininet.h>

#include <vector>

namespace pelmora::browser {

namespace {

std::wstring UrlPart(const std::wstring& url, DWORD part) {
    std::vector<wchar_t> buffer(url.size() + 2);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (FAILED(::UrlGetPartW(url.c_str(), buffer.data(), &size, part, 0))) return {};
    return std::wstring(buffer.data());
}

}  // namespace

UrlParts SplitUrl(const std::wstring& url) {
    UrlParts parts;
    parts.href = url;
    URL_COMPONENTSW components = {};
    components.dwStructSize = sizeof(components);
    components.dwUrlPathLength = 1;  // non-zero: point into the URL
    components.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return parts;
    parts.pathName.assign(components.lpszUrlPath ? components.lpszUrlPath : L"", components.dwUrlPathLength);
    const std::wstring extra(components.lpszExtraInfo ? components.lpszExtraInfo : L"",
                             components.dwExtraInfoLength);
    const size_t hashStart = extra.find(L'#');
    parts.search = extra.substr(0, hashStart);
    if (hashStart != std::wstring::npos) parts.hash = extra.substr(hashStart);
    parts.protocol = UrlPart(url, URL_PART_SCHEME);
    if (!parts.protocol.empty()) parts.protocol += L':';
    parts.hostName = UrlPart(url, URL_PART_HOSTNAME);
    parts.port = UrlPart(url, URL_PART_PORT);
    return parts;
}

}  // namespace pelmora::browser
