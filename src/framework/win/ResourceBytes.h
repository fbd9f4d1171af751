#pragma once
// The raw bytes of a module resource. Resources stay mapped as long as the module is
// loaded, so the view needs no owner.
#include <windows.h>

#include <string_view>

namespace pelmora::win {

// On failure bytes is left untouched.
[[nodiscard]] HRESULT LoadResourceBytes(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                                        std::string_view& bytes) noexcept;

}  // namespace pelmora::win
