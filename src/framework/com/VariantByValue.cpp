#include "framework/com/VariantByValue.h"

#include "framework/com/Variant.h"

namespace pelmora::com {

namespace {
constexpr VARTYPE kVariantReference = VT_BYREF | VT_VARIANT;
}

VARIANT* ResolveVariantReference(VARIANT* argument) noexcept {
    for (int depth = 0; argument && depth <= kMaxVariantReferenceDepth; ++depth) {
        if (V_VT(argument) != kVariantReference) return argument;
        argument = V_VARIANTREF(argument);
    }
    return nullptr;
}

HRESULT CopyByValue(VARIANT* target, const VARIANT& source) noexcept {
    const HRESULT cleared = ::VariantClear(target);
    if (FAILED(cleared)) return cleared;

    const VARIANT* value = ResolveVariantReference(const_cast<VARIANT*>(&source));
    if (!value) return S_OK;
    if ((V_VT(value) & VT_BYREF) == 0) return ::VariantCopy(target, const_cast<VARIANT*>(value));

    // Every by-reference member of the union is a pointer; a null one points nowhere.
    if (!V_BYREF(value)) return S_OK;
    Variant plain;
    const HRESULT changed = ::VariantChangeType(plain.get(), const_cast<VARIANT*>(value), 0, V_VT(value) & ~VT_BYREF);
    if (changed == E_OUTOFMEMORY) return changed;
    if (FAILED(changed)) return S_OK;
    plain.DetachTo(target);
    return S_OK;
}

}  // namespace pelmora::com
