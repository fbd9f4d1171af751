#pragma once
// Runs registration scripts (see RegistrationScript.h) in register or unregister mode.
//
// Register: ForceRemove keys are deleted with their contents, then written; Delete keys
// are deleted; other keys are opened or created and their values written.
// Unregister: ForceRemove keys are deleted with their contents; Delete and NoRemove
// keys stay; plain keys lose the values the script names and are deleted once they
// hold no subkeys and no named values.
// Work stops at the first failure, whose HRESULT is returned; keys already written stay.
#include <windows.h>

#include <string>
#include <string_view>

#include "framework/com/RegistrationScript.h"

namespace pelmora::com {

class Registrar {
public:
    HRESULT AddReplacement(std::wstring_view name, std::wstring_view value) noexcept;
    HRESULT RunScript(std::wstring_view script, bool registering) noexcept;
    // The script is a resource of the module, ANSI text.
    HRESULT ResourceScript(HMODULE module, UINT resourceId, const wchar_t* resourceType, bool registering) noexcept;

private:
    RegistrationReplacements replacements_;
};

}  // namespace pelmora::com
