#pragma once
// Reads a script component file into a memory stream for the XML reader.
//
// Files that carry a byte-order mark or a real XML declaration go to the reader as
// they are. Everything else is ANSI text in the system code page (what the product's
// generator writes: its first line is a processing instruction, not a declaration,
// so the reader would otherwise take the bytes for UTF-8 and refuse any accented
// letter); such files are handed over as UTF-16.
#include <objidl.h>

#include <string>

#include "framework/com/ComPtr.h"

namespace pelmora::scriptrt {

[[nodiscard]] HRESULT OpenScriptFileInput(const std::wstring& path, com::ComPtr<IStream>& stream) noexcept;

}  // namespace pelmora::scriptrt
