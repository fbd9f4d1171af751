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

// Returns a failing HRESULT.
#define PELMORA_RETURN_IF_FAILED(expr)               \
    do {                                             \
        const HRESULT pelmoraHr_ = (expr);           \
        if (FAILED(pelmoraHr_)) return pelmoraHr_;   \
    } while (0)

// Returns a Win32 status other than ERROR_SUCCESS (a registry call's LONG, say) as an
// HRESULT.
#define PELMORA_RETURN_IF_WIN32_ERROR(expr)                                              \
    do {                                                                                 \
        const LONG pelmoraStatus_ = static_cast<LONG>(expr);                             \
        if (pelmoraStatus_ != ERROR_SUCCESS) return ::pelmora::win::HResultFromWin32(pelmoraStatus_); \
    } while (0)

// Returns the last Win32 error as an HRESULT when condition holds; the condition is
// the failing call's own test (a null handle, a zero length), so nothing runs between
// the call and the read of its error.
#define PELMORA_RETURN_LAST_ERROR_IF(condition)                               \
    do {                                                                      \
        if (condition) return ::pelmora::win::HResultFromLastError();         \
    } while (0)
