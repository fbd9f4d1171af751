#include "framework/com/VariantReferenceStore.h"

#include <cstring>

#include "framework/com/Variant.h"
#include "framework/com/VariantByValue.h"
#include "framework/win/HResult.h"

namespace pelmora::com {

namespace {

// Plain numbers whose payload is meaningful in whatever numeric type reads it.
bool IsPlainNumber(VARTYPE type) noexcept {
    switch (type) {
        case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
        case VT_INT: case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8:
        case VT_CY: case VT_DATE: case VT_BOOL: case VT_ERROR: case VT_DECIMAL:
            return true;
        default:
            return false;
    }
}

bool IsThirtyTwoBitScalar(VARTYPE type) noexcept {
    switch (type) {
        case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
            return true;
        default:
            return false;
    }
}

bool IsStorableReference(VARTYPE referenced) noexcept {
    return referenced == VT_BSTR || referenced == VT_DISPATCH || referenced == VT_SAFEARRAY ||
           referenced == VT_BOOL || IsThirtyTwoBitScalar(referenced);
}

HRESULT ReplaceWhole(VARIANT* target, const VARIANT& value) noexcept {
    // Copy first, so a failed copy leaves the target as it was.
    Variant copy;
    PELMORA_RETURN_IF_FAILED(copy.CopyFrom(value));
    PELMORA_RETURN_IF_FAILED(::VariantClear(target));
    copy.DetachTo(target);
    return S_OK;
}

// Brings value to the referenced type where its payload would mean nothing there.
HRESULT PrepareValue(VARTYPE referenced, const VARIANT& value, Variant& prepared) noexcept {
    PELMORA_RETURN_IF_FAILED(CopyByValue(prepared.get(), value));
    const VARTYPE type = V_VT(prepared.get());
    if (referenced == VT_SAFEARRAY) return (type & VT_ARRAY) ? S_OK : S_FALSE;
    if (type == referenced || (IsPlainNumber(type) && IsPlainNumber(referenced))) return S_OK;
    const HRESULT changed = ::VariantChangeType(prepared.get(), prepared.get(), 0, referenced);
    if (changed == E_OUTOFMEMORY) return changed;
    return SUCCEEDED(changed) ? S_OK : S_FALSE;
}

}  // namespace

HRESULT StoreThroughReference(VARIANT* target, const VARIANT& value) noexcept {
    if (!target) return S_FALSE;
    const VARTYPE targetType = V_VT(target);
    if ((targetType & VT_BYREF) == 0) return ReplaceWhole(target, value);

    const VARTYPE referenced = targetType & ~VT_BYREF;
    if (!V_BYREF(target) || !IsStorableReference(referenced)) return S_FALSE;

    Variant prepared;
    const HRESULT ready = PrepareValue(referenced, value, prepared);
    if (ready != S_OK) return ready;
    VARIANT* source = prepared.get();

    switch (referenced) {
        case VT_BSTR:
            // The prepared copy's string moves into the reference.
            ::SysFreeString(*V_BSTRREF(target));
            *V_BSTRREF(target) = V_BSTR(source);
            V_VT(source) = VT_EMPTY;
            return S_OK;
        case VT_DISPATCH:
            // The prepared copy's reference moves into the reference.
            if (IDispatch* old = *V_DISPATCHREF(target)) old->Release();
            *V_DISPATCHREF(target) = V_DISPATCH(source);
            V_VT(source) = VT_EMPTY;
            return S_OK;
        case VT_SAFEARRAY: {
            auto** slot = reinterpret_cast<SAFEARRAY**>(V_BYREF(target));
            if (*slot) PELMORA_RETURN_IF_FAILED(::SafeArrayDestroy(*slot));
            *slot = V_ARRAY(source);
            V_VT(source) = VT_EMPTY;
            return S_OK;
        }
        case VT_BOOL:
            *V_BOOLREF(target) = V_BOOL(source);
            return S_OK;
        default:
            std::memcpy(V_BYREF(target), &V_UI4(source), sizeof(ULONG));
            return S_OK;
    }
}

}  // namespace pelmora::com
