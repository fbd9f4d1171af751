#pragma once
// HRESULT flow helpers: evaluate once, return the failure, keep the happy path flat.
#include <windows.h>

namespace pelmora::win {

// The last Win32 error as an HRESULT; E_FAIL when the call set no error.
inline HRESULT HResultFromLastError() noexcept {
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

inline HRESULT HResultFromWin32(LONG error) noexcept {
    return HRESULT_FROM_WIN32(static_cast<DWORD>(error));
}

}  // namespace pelmora::win

#define PELMORA_RETURN_IF_FAILED(expr)               \
    do {                                             \
        const HRESULT pelmoraHr_ = (expr);           \
        if (FAILED(pelmoraHr_)) return pelmoraHr_;   \
    } while (0)
