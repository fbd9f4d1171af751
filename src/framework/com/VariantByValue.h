#pragma once
// Turning by-reference VARIANTs, as event sources pass them, into plain values.
#include <oaidl.h>

namespace pelmora::com {

// How many VT_BYREF | VT_VARIANT links are followed before a chain counts as broken
// (a reference that loops back on itself would otherwise never end).
inline constexpr int kMaxVariantReferenceDepth = 16;

// The first VARIANT along a VT_BYREF | VT_VARIANT chain that is not itself such a
// link; null when a link is null or the chain is longer than the limit.
[[nodiscard]] VARIANT* ResolveVariantReference(VARIANT* argument) noexcept;

// Fills target (which must be initialised; it is cleared first) with the value of
// source without any reference: chains of VT_BYREF | VT_VARIANT are followed, other
// references are changed to their plain type. A reference that cannot be read or
// changed gives an empty target and S_OK; only a failed copy of a plain value (out of
// memory) is an error.
[[nodiscard]] HRESULT CopyByValue(VARIANT* target, const VARIANT& source) noexcept;

}  // namespace pelmora::com
