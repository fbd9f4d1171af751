#include "framework/com/MemberNames.h"

namespace pelmora::com {

HRESULT MemberNames::Fetch(ITypeInfo* typeInfo, MEMBERID id) noexcept {
    for (Bstr& name : names_) name = Bstr();
    count_ = 0;
    if (!typeInfo) return E_POINTER;

    BSTR raw[kCapacity] = {};
    UINT fetched = 0;
    const HRESULT hr = typeInfo->GetNames(id, raw, kCapacity, &fetched);
    // Take ownership of whatever was handed out, even on failure, so nothing leaks.
    for (UINT i = 0; i < kCapacity; ++i) names_[i] = Bstr::Attach(raw[i]);
    if (FAILED(hr)) {
        for (Bstr& name : names_) name = Bstr();
        return hr;
    }
    count_ = fetched < kCapacity ? fetched : kCapacity;
    return S_OK;
}

}  // namespace pelmora::com
