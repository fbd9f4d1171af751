#include "ScriptDisplayName.h"

#include <objbase.h>

#include <string_view>

namespace pelmora::scriptrt {

namespace {

constexpr size_t kPrefixLength = sizeof(kScriptNamePrefix) / sizeof(wchar_t) - 1;

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

}  // namespace

bool PathOfScriptDisplayName(const wchar_t* displayName, std::wstring& path) {
    if (!displayName) return false;
    const std::wstring_view name(displayName);
    if (name.size() <= kPrefixLength || !EqualsIgnoringCase(name.substr(0, kPrefixLength), kScriptNamePrefix))
        return false;
    path.assign(name.substr(kPrefixLength));
    return true;
}

bool SameScriptDisplayName(const wchar_t* displayName, const std::wstring& path) {
    std::wstring otherPath;
    return PathOfScriptDisplayName(displayName, otherPath) && EqualsIgnoringCase(otherPath, path);
}

DWORD HashScriptPath(const std::wstring& path) {
    std::wstring upper(path);
    if (!upper.empty()) ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    DWORD hash = 2166136261u;  // FNV-1a
    for (wchar_t c : upper) {
        hash ^= static_cast<DWORD>(c);
        hash *= 16777619u;
    }
    return hash;
}

HRESULT MakeScriptDisplayName(const std::wstring& path, LPOLESTR& displayName) noexcept {
    displayName = nullptr;
    const size_t length = kPrefixLength + path.size();
    auto* text = static_cast<LPOLESTR>(::CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!text) return E_OUTOFMEMORY;
    wmemcpy(text, kScriptNamePrefix, kPrefixLength);
    wmemcpy(text + kPrefixLength, path.data(), path.size());
    text[length] = L'\0';
    displayName = text;
    return S_OK;
}

}  // namespace pelmora::scriptrt
