#include "component/Module.h"

#include "component/Guids.h"
#include "component/IEBar.h"
#include "framework/ui/ApplicationBase.h"
#include "resources/resource.h"

namespace pelmora {

CPelmoraModule::CPelmoraModule()
    : com::DllModule(LIBID_PelmoraLib,
                     {
                         com::ObjectMapEntry{&CLSID_IEBar, IDR_IEBAR, CreateIEBar, {}},
                     }) {
    SetInstance(ui::CurrentModuleInstance());
    com::SetProcessModule(this);
}

CPelmoraModule::~CPelmoraModule() {
    if (com::GetProcessModule() == this) com::SetProcessModule(nullptr);
}

}  // namespace pelmora
