#include "framework/ui/ModuleVersion.h"

#include <cstring>

namespace pelmora::ui {

namespace {

constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

// The block starts with its length, its value's length and its type (three WORDs),
// then its key, a zero-terminated UTF-16 string, padded to a 32-bit boundary; the
// value follows.
const VS_FIXEDFILEINFO* FixedInfoOf(const BYTE* block, DWORD size) noexcept {
    constexpr DWORD kHeader = 3 * sizeof(WORD);
    if (size < kHeader) return nullptr;
    WORD valueLength = 0;
    std::memcpy(&valueLength, block + sizeof(WORD), sizeof(valueLength));
    DWORD at = kHeader;
    for (;;) {
        if (at + sizeof(WCHAR) > size) return nullptr;
        WCHAR unit = 0;
        std::memcpy(&unit, block + at, sizeof(unit));
        at += sizeof(WCHAR);
        if (unit == 0) break;
    }
    at = (at + 3) & ~DWORD{3};
    if (valueLength < sizeof(VS_FIXEDFILEINFO) || at + sizeof(VS_FIXEDFILEINFO) > size) return nullptr;
    // Resources are 32-bit aligned in the image, and so is the value.
    const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + at);
    return info->dwSignature == kFixedInfoSignature ? info : nullptr;
}

}  // namespace

std::wstring ModuleFileVersion(HINSTANCE module) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    if (!found) return {};
    const DWORD size = ::SizeofResource(module, found);
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* block = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
    const VS_FIXEDFILEINFO* info = block ? FixedInfoOf(block, size) : nullptr;
    if (!info) return {};
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
           std::to_wstring(LOWORD(info->dwFileVersionLS));
}

}  // namespace pelmora::ui
