#include "runtime/UrlScriptName.h"

namespace pelmora {

namespace {

bool IsForbiddenInFileName(wchar_t c) noexcept {
    if (c < 0x20) return true;
    switch (c) {
    case L'<': case L'>': case L':': case L'"': case L'/': case L'\\': case L'|': case L'?': case L'*':
        return true;
    default:
        return false;
    }
}

}  // namespace

bool IsUsableUrlNameComponent(std::wstring_view component) noexcept {
    if (component.empty() || component == L"." || component == L"..") return false;
    for (wchar_t c : component)
        if (IsForbiddenInFileName(c)) return false;
    return true;
}

bool IsUsableUrlScriptPath(std::wstring_view hostName, std::wstring_view pathName) noexcept {
    if (!IsUsableUrlNameComponent(hostName)) return false;
    // A path of folders ending in "/" names the folder's own script (h\news.WSC for
    // /news/), so one leading and one trailing separator are expected, not segments.
    if (!pathName.empty() && pathName.front() == L'/') pathName.remove_prefix(1);
    if (!pathName.empty() && pathName.back() == L'/') pathName.remove_suffix(1);
    if (pathName.empty()) return true;
    while (true) {
        const size_t separator = pathName.find(L'/');
        if (!IsUsableUrlNameComponent(pathName.substr(0, separator))) return false;
        if (separator == std::wstring_view::npos) return true;
        pathName.remove_prefix(separator + 1);
    }
}

std::wstring UrlScriptKey(std::wstring_view name) {
    constexpr std::wstring_view kFolderScriptEnding = L"/.WSC";
    std::wstring key = L"\\";
    if (name.size() > kFolderScriptEnding.size() &&
        name.substr(name.size() - kFolderScriptEnding.size()) == kFolderScriptEnding) {
        key.append(name.substr(0, name.size() - kFolderScriptEnding.size())).append(L".WSC");
    } else {
        key.append(name);
    }
    for (wchar_t& c : key)
        if (c == L'/') c = L'\\';
    return key;
}

}  // namespace pelmora
