#pragma once
// The registry form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in capitals as
// StringFromGUID2 writes it; at compile time for a constant GUID, so that a name made
// of a platform id is spelled from the platform's header, not typed again.
#include <windows.h>

#include <cstddef>

namespace pelmora::com {

struct GuidText {
    wchar_t text[39];
};

constexpr GuidText BracedGuidText(const GUID& id) noexcept {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    GuidText out{};
    std::size_t at = 0;
    const auto put = [&out, &at, &kDigits](unsigned long value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.text[at++] = kDigits[(value >> shift) & 0xF];
    };
    out.text[at++] = L'{';
    put(id.Data1, 8);
    out.text[at++] = L'-';
    put(id.Data2, 4);
    out.text[at++] = L'-';
    put(id.Data3, 4);
    out.text[at++] = L'-';
    put(id.Data4[0], 2);
    put(id.Data4[1], 2);
    out.text[at++] = L'-';
    for (int index = 2; index < 8; ++index) put(id.Data4[index], 2);
    out.text[at++] = L'}';
    return out;
}

}  // namespace pelmora::com
