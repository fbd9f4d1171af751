#pragma once
// What the runtime tests share: the registered event type information, the events'
// ids (from the platform's headers), the module lock count, and an IDispatch counted
// as a browser's frame object.
#include <exdispid.h>
#include <mshtmdid.h>
#include <oaidl.h>

#include <gtest/gtest.h>

#include "RegisteredEvents.h"
#include "FakeCom.h"
#include "framework/com/ComPtr.h"
#include "framework/com/DllModule.h"

namespace pelmora::test {

// The module lock count of the process module.
inline LONG ModuleLockCount() {
    const com::DllModule* module = com::GetProcessModule();
    return module ? module->GetLockCount() : -1;
}

// Counted as a browser's frame object would be; answers no call.
using CountingDispatch = FakeObjectDispatch;

}  // namespace pelmora::test
