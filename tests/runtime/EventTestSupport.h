#pragma once
// What the runtime tests share: the registered event type information, the events'
// ids, the module lock count, and an IDispatch counted as a browser's frame object.
#include <oaidl.h>

#include <gtest/gtest.h>

#include "RegisteredEvents.h"
#include "StackCom.h"
#include "framework/com/ComPtr.h"
#include "framework/com/DllModule.h"

namespace pelmora::test {

inline constexpr DISPID kDispidBeforeNavigate2 = 250;
inline constexpr DISPID kDispidNewWindow2 = 251;
inline constexpr DISPID kDispidDocumentComplete = 259;
inline constexpr DISPID kDispidOnError = 1002;
inline constexpr DISPID kDispidOnLoad = 1003;

// The module lock count of the process module.
inline LONG ModuleLockCount() {
    const com::DllModule* module = com::GetProcessModule();
    return module ? module->GetLockCount() : -1;
}

// Counted as a browser's frame object would be; answers no call.
using CountingDispatch = StackDispatch;

}  // namespace pelmora::test
