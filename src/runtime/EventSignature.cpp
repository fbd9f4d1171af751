#include "runtime/EventSignature.h"

#include "framework/com/ComPtr.h"
#include "framework/com/MemberNames.h"
#include "framework/com/TypeDescriptions.h"

namespace pelmora {

namespace {

com::FuncDescHolder FindFunctionDescription(ITypeInfo* typeInfo, DISPID eventId) noexcept {
    com::FuncDescHolder found;
    if (!typeInfo) return found;
    // A type library's information finds the member's index at once; walking every
    // member's description instead took most of the time an event spends here.
    com::ComPtr<ITypeInfo2> indexed;
    UINT index = 0;
    if (SUCCEEDED(typeInfo->QueryInterface(IID_ITypeInfo2, indexed.put_void())) && indexed &&
        SUCCEEDED(indexed->GetFuncIndexOfMemId(eventId, INVOKE_FUNC, &index))) {
        com::FuncDescHolder candidate;
        if (SUCCEEDED(typeInfo->GetFuncDesc(index, candidate.put(typeInfo))) && candidate &&
            candidate->memid == eventId) {
            return candidate;
        }
    }
    com::TypeAttrHolder attributes;
    if (FAILED(typeInfo->GetTypeAttr(attributes.put(typeInfo))) || !attributes) return found;
    for (UINT index = 0; index < attributes->cFuncs; ++index) {
        com::FuncDescHolder candidate;
        if (FAILED(typeInfo->GetFuncDesc(index, candidate.put(typeInfo))) || !candidate) continue;
        if (candidate->memid == eventId) return candidate;
    }
    return found;
}

}  // namespace

CEventSignature::CEventSignature(ITypeInfo* typeInfo, DISPID eventId) {
    namesResult_ = names_.Fetch(typeInfo, eventId);
    const com::FuncDescHolder description = FindFunctionDescription(typeInfo, eventId);
    if (!description) return;
    described_ = true;
    if (!description->lprgelemdescParam || description->cParams <= 0) return;
    outParameters_.resize(static_cast<size_t>(description->cParams));
    for (SHORT position = 0; position < description->cParams; ++position) {
        outParameters_[static_cast<size_t>(position)] =
            (description->lprgelemdescParam[position].paramdesc.wParamFlags & PARAMFLAG_FOUT) != 0;
    }
}

}  // namespace pelmora
