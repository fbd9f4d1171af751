#include "component/Module.h"

#include "component/Guids.h"
#include "framework/ui/ApplicationBase.h"
#include "resources/resource.h"

namespace pelmora {

CPelmoraModule::CPelmoraModule()
    : com::DllModule(LIBID_PelmoraLib,
                     {
                         // The bar is registered by its script; its class object is
                         // served once the bar class is part of the DLL.
                         com::ObjectMapEntry{&CLSID_IEBar, IDR_IEBAR, nullptr, {}},
                     }) {
    SetInstance(ui::CurrentModuleInstance());
    com::SetProcessModule(this);
}

CPelmoraModule::~CPelmoraModule() {
    if (com::GetProcessModule() == this) com::SetProcessModule(nullptr);
}

}  // namespace pelmora
