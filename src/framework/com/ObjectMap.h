#pragma once
// One entry per COM class the module serves: its CLSID, its registration script
// resource and how an instance is made. The class factory is made on first request
// and cached for the life of the module.
#include <objbase.h>

#include "framework/com/ComPtr.h"

namespace pelmora::com {

using CreateInstanceFn = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

struct ObjectMapEntry {
    const CLSID* clsid = nullptr;
    UINT registrationResourceId = 0;  // 0: nothing to register
    // Null while the class is registered but not yet served: its class object is
    // then unavailable.
    CreateInstanceFn createInstance = nullptr;
    ComPtr<IClassFactory> cachedFactory;
};

}  // namespace pelmora::com
