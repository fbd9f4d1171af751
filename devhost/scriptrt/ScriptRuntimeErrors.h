#pragma once
// Why a "script:" name could not be bound, besides the file system's own errors
// (a missing file fails with the error of the failed open).
#include <windows.h>

namespace pelmora::scriptrt {

// The file is not well-formed XML, or a member declaration is unusable (no name,
// a name declared twice).
inline constexpr HRESULT kScriptFileMalformed = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0301);
// Well-formed XML, but no <component> below a <package> root (or as the root).
inline constexpr HRESULT kComponentElementMissing = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0302);
// The component has no <script> element.
inline constexpr HRESULT kScriptElementMissing = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0303);
// A <script> element names a language other than JScript.
inline constexpr HRESULT kScriptLanguageUnsupported = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0304);
// Larger than any script component a person writes; refused rather than read whole.
inline constexpr HRESULT kScriptFileTooLarge = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
inline constexpr DWORD kMaxScriptFileBytes = 16 * 1024 * 1024;

}  // namespace pelmora::scriptrt
