#pragma once
// EXCEPINFO helpers: the block owns its three strings.
#include <oaidl.h>

namespace pelmora::scriptrt {

inline void ClearExceptionInfo(EXCEPINFO& exception) noexcept {
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    exception = EXCEPINFO{};
}

// Completes a block whose filling was deferred.
inline void FillInExceptionInfo(EXCEPINFO& exception) noexcept {
    if (auto fillIn = exception.pfnDeferredFillIn) {
        exception.pfnDeferredFillIn = nullptr;
        fillIn(&exception);
    }
}

inline bool HoldsException(const EXCEPINFO& exception) noexcept {
    return exception.scode != 0 || exception.wCode != 0 || exception.bstrDescription || exception.bstrSource ||
           exception.pfnDeferredFillIn;
}

}  // namespace pelmora::scriptrt
