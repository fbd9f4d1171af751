#include "framework/ui/ApplicationBase.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pelmora::ui {

HINSTANCE CurrentModuleInstance() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

ApplicationBase::ApplicationBase() noexcept : instance_(CurrentModuleInstance()) {}

}  // namespace pelmora::ui
