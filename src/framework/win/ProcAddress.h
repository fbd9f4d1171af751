#pragma once
// A typed GetProcAddress for functions bound at run time.
#include <windows.h>

namespace pelmora::win {

template <typename Fn>
Fn GetProcAddressAs(HMODULE module, const char* name) noexcept {
    FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
    // Through void* because function pointer types differ by their signatures.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

}  // namespace pelmora::win
