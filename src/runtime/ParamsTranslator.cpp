#include "runtime/ParamsTranslator.h"

#include "framework/com/MemberNames.h"
#include "framework/com/VariantByValue.h"
#include "framework/com/VariantReferenceStore.h"
#include "framework/win/HResult.h"

namespace pelmora {

namespace {

// The names array holds the event's name and its parameters; beyond that no
// argument can be named.
constexpr UINT kArgumentLimit = com::MemberNames::kCapacity;

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

CParamsTranslator::CParamsTranslator(DISPID eventId, DISPPARAMS* arguments, ITypeInfo* eventTypeInfo) noexcept
    : eventTypeInfo_(eventTypeInfo),
      arguments_(arguments),
      eventId_(eventId),
      functionDescription_(FindFunctionDescription(eventTypeInfo, eventId)) {}

bool CParamsTranslator::HasArgumentArray() const noexcept {
    return arguments_ && arguments_->rgvarg && arguments_->cArgs >= 1 && arguments_->cArgs < kArgumentLimit;
}

// Only positions the event declares can be [out]: an extra argument never is.
bool CParamsTranslator::IsDeclaredOut(UINT position) const noexcept {
    const FUNCDESC* description = functionDescription_.get();
    if (!description || !description->lprgelemdescParam) return false;
    if (description->cParams < 0 || position >= static_cast<UINT>(description->cParams)) return false;
    return (description->lprgelemdescParam[position].paramdesc.wParamFlags & PARAMFLAG_FOUT) != 0;
}

HRESULT CParamsTranslator::CreateParams(com::ComPtr<CParams>& params) noexcept {
    params.reset();
    com::ComPtr<CParams> made;
    PELMORA_RETURN_IF_FAILED(CParams::Create(eventTypeInfo_.get(), made));

    com::MemberNames names;
    if (HasArgumentArray() && SUCCEEDED(names.Fetch(eventTypeInfo_.get(), eventId_))) {
        const UINT count = arguments_->cArgs;
        // rgvarg[i] is the argument of declaration position count-1-i, named names[count-i].
        for (UINT i = 0; i < count; ++i) {
            com::Variant value;
            PELMORA_RETURN_IF_FAILED(com::CopyByValue(value.get(), arguments_->rgvarg[i]));
            PELMORA_RETURN_IF_FAILED(made->AddValue(names[count - i], *value.get()));
        }
    }
    params_ = made;
    params = std::move(made);
    return S_OK;
}

HRESULT CParamsTranslator::WriteBack() noexcept {
    if (!params_ || !functionDescription_ || !HasArgumentArray()) return S_FALSE;
    com::MemberNames names;
    if (FAILED(names.Fetch(eventTypeInfo_.get(), eventId_))) return S_FALSE;

    const UINT count = arguments_->cArgs;
    for (UINT i = 0; i < count; ++i) {
        if (!IsDeclaredOut(count - 1 - i)) continue;
        VARIANT* target = com::ResolveVariantReference(&arguments_->rgvarg[i]);
        const VARIANT* value = params_->FindValue(names[count - i]);
        if (!target || !value) continue;
        PELMORA_RETURN_IF_FAILED(com::StoreThroughReference(target, *value));
    }
    return S_OK;
}

}  // namespace pelmora
