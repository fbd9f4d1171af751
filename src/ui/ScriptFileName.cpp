#include "ui/ScriptFileName.h"

#include "runtime/UrlScriptName.h"

namespace pelmora {

namespace {

wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

}  // namespace

bool EndsWithScriptExtension(std::wstring_view name) noexcept {
    const std::wstring_view extension(kScriptExtension);
    if (name.size() < extension.size()) return false;
    const std::wstring_view tail = name.substr(name.size() - extension.size());
    for (size_t i = 0; i < extension.size(); ++i)
        if (AsciiUpper(tail[i]) != extension[i]) return false;
    return true;
}

std::wstring WithScriptExtension(const std::wstring& name) {
    return EndsWithScriptExtension(name) ? name : name + kScriptExtension;
}

bool IsListedScriptFile(std::wstring_view name) noexcept {
    return name.size() > std::wstring_view(kScriptExtension).size() && EndsWithScriptExtension(name);
}

bool IsNameInsideFolder(std::wstring_view typed, std::wstring_view stored) noexcept {
    // "." gains an extension and would look harmless as "..WSC"; the user meant a folder.
    if (typed == L"." || typed == L"..") return false;
    // Blanks alone name nothing: they would make a script called "   .WSC".
    if (typed.find_first_not_of(L' ') == std::wstring_view::npos) return false;
    return IsUsableUrlNameComponent(stored);
}

}  // namespace pelmora
