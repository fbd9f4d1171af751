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

wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsIgnoringAsciiCase(std::wstring_view text, std::wstring_view upper) noexcept {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (AsciiUpper(text[i]) != upper[i]) return false;
    return true;
}

// A device the file system opens in place of a file of that name in any folder: the
// stem before the first "." decides ("con.txt" is the console), blanks before that
// "." do not count, and COM and LPT take a digit or a superscript one, two or three.
bool IsReservedDeviceName(std::wstring_view component) noexcept {
    std::wstring_view stem = component.substr(0, component.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (EqualsIgnoringAsciiCase(stem, device)) return true;
    if (stem.size() != 4) return false;
    const wchar_t number = stem[3];
    const bool isPortNumber = (number >= L'0' && number <= L'9') || number == L'\u00B9' || number == L'\u00B2' ||
                              number == L'\u00B3';
    return isPortNumber && (EqualsIgnoringAsciiCase(stem.substr(0, 3), L"COM") ||
                            EqualsIgnoringAsciiCase(stem.substr(0, 3), L"LPT"));
}

}  // namespace

bool IsUsableUrlNameComponent(std::wstring_view component) noexcept {
    if (component.empty() || component == L"." || component == L"..") return false;
    for (wchar_t c : component)
        if (IsForbiddenInFileName(c)) return false;
    // The file system drops a trailing "." or blank, so "x." would open the file "x".
    if (component.back() == L'.' || component.back() == L' ') return false;
    return !IsReservedDeviceName(component);
}

bool IsUsableUrlScriptPath(std::wstring_view hostName, std::wstring_view pathName) noexcept {
    if (!IsUsableUrlNameComponent(hostName)) return false;
    // A path of folders ending in "/" names the folder's own script (h\news.WSC for
    // /news/), so one leading and one trailing separator are expected, not segments;
    // "//" is an empty segment between them.
    if (!pathName.empty() && pathName.front() == L'/') {
        pathName.remove_prefix(1);
        if (pathName.empty()) return true;
    }
    if (pathName.empty()) return true;
    if (pathName.back() == L'/') {
        pathName.remove_suffix(1);
        if (pathName.empty()) return false;
    }
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
