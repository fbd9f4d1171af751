// The DLL's three static objects. They live in this one file because their order of
// construction matters and is only fixed within a translation unit: the module first
// (objects count against it), then the application object, then the logger, which is
// handed its file in the script location at once (that may create the folder and
// record "ScriptLocation"). Destruction runs in reverse, after the application's exit
// has let go of everything that might still log.
#include "component/Module.h"
#include "component/PelmoraApp.h"
#include "core/Logger.h"

namespace pelmora {

namespace {
CPelmoraModule g_module;
CPelmoraApp g_app;
CLogger g_logger{g_app.GetLogPath()};
}  // namespace

CPelmoraModule& GetPelmoraModule() noexcept { return g_module; }
CPelmoraApp& GetPelmoraApp() noexcept { return g_app; }
CLogger& GetLogger() noexcept { return g_logger; }

}  // namespace pelmora
