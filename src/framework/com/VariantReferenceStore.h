#pragma once
// Storing a value into a caller's argument, as an [out] parameter is written back.
#include <oaidl.h>

namespace pelmora::com {

// Stores value into target. A target without VT_BYREF is replaced as a whole. Through a
// reference the value goes in as the referenced type: VT_BSTR, VT_DISPATCH,
// VT_SAFEARRAY (from any VT_ARRAY value), VT_BOOL and the 32-bit scalars (VT_I4,
// VT_UI4, VT_INT, VT_UINT, VT_R4, VT_ERROR). Between plain numeric types the payload is
// stored unchanged (the number 1 into a VT_BOOL stores 1); strings, objects, empty and
// null values are converted to the referenced type first. The old referenced string,
// object or array is freed; the caller's copy of value is never taken over.
// Returns S_OK when something was stored, S_FALSE when nothing was (a null reference,
// another referenced type, a value that does not convert), or the failure of a copy.
[[nodiscard]] HRESULT StoreThroughReference(VARIANT* target, const VARIANT& value) noexcept;

}  // namespace pelmora::com
