#pragma once
// Parser for registration scripts in the usual .rgs syntax:
//
//   HKCR { NoRemove CLSID { ForceRemove {guid} = s 'Name' { val X = d '1' } } }
//
// Root keys HKCR, HKCU, HKLM, HKU (or their long names); key modes ForceRemove,
// NoRemove, Delete; values of type s, e, d and b; '' inside a quoted text is one
// quote; %NAME% is replaced inside each token, %% is one percent sign, and a token with
// a replacement in it is always a name or a value, never syntax. A NUL character is a
// syntax error anywhere. The whole text is parsed before anything touches the registry,
// so a malformed script changes nothing. The text is untrusted: every fault is an
// HRESULT, nesting is capped.
#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::com {

// Syntax errors of a registration script.
inline constexpr HRESULT kRegistrationScriptSyntaxError = HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
inline constexpr int kMaxRegistrationScriptDepth = 64;

struct RegistryValueSpec {
    std::wstring name;  // empty: the key's default value
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

enum class RegistryKeyMode { Plain, ForceRemove, NoRemove, Delete };

struct RegistryKeySpec {
    RegistryKeyMode mode = RegistryKeyMode::Plain;
    std::wstring name;
    std::vector<RegistryValueSpec> values;  // the default value first when given
    std::vector<RegistryKeySpec> subkeys;
};

struct RegistryRootSpec {
    HKEY root = nullptr;
    std::vector<RegistryKeySpec> keys;
};

// Replacement names compare without regard to case.
struct ReplacementNameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept;
};
using RegistrationReplacements = std::map<std::wstring, std::wstring, ReplacementNameLess>;

[[nodiscard]] HRESULT ParseRegistrationScript(std::wstring_view text, const RegistrationReplacements& replacements,
                                              std::vector<RegistryRootSpec>& roots) noexcept;

}  // namespace pelmora::com
