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

// The signature read for a translator of its own; without memory for it the event is
// taken as one the type information cannot name.
std::shared_ptr<const CEventSignature> ReadSignature(ITypeInfo* typeInfo, DISPID eventId) noexcept {
    try {
        return std::make_shared<const CEventSignature>(typeInfo, eventId);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

CParamsTranslator::CParamsTranslator(DISPID eventId, DISPPARAMS* arguments, ITypeInfo* eventTypeInfo) noexcept
    : CParamsTranslator(ReadSignature(eventTypeInfo, eventId), arguments, eventTypeInfo) {}

CParamsTranslator::CParamsTranslator(std::shared_ptr<const CEventSignature> signature, DISPPARAMS* arguments,
                                     ITypeInfo* eventTypeInfo) noexcept
    : eventTypeInfo_(eventTypeInfo), arguments_(arguments), signature_(std::move(signature)) {}

bool CParamsTranslator::HasArgumentArray() const noexcept {
    return arguments_ && arguments_->rgvarg && arguments_->cArgs >= 1 && arguments_->cArgs < kArgumentLimit;
}

HRESULT CParamsTranslator::CreateParams(com::ComPtr<CParams>& params) noexcept {
    params.reset();
    com::ComPtr<CParams> made;
    PELMORA_RETURN_IF_FAILED(CParams::Create(eventTypeInfo_.get(), made));

    if (HasArgumentArray() && HasNames()) {
        const UINT count = arguments_->cArgs;
        PELMORA_RETURN_IF_FAILED(made->Reserve(count));
        // rgvarg[i] is the argument of declaration position count-1-i, named Name(count-i).
        for (UINT i = 0; i < count; ++i) {
            com::Variant value;
            PELMORA_RETURN_IF_FAILED(com::CopyByValue(value.get(), arguments_->rgvarg[i]));
            PELMORA_RETURN_IF_FAILED(made->AddValue(signature_->Name(count - i), std::move(value)));
        }
    }
    params_ = made;
    params = std::move(made);
    return S_OK;
}

HRESULT CParamsTranslator::WriteBack() noexcept {
    if (!params_ || !signature_ || !signature_->IsDescribed() || !HasArgumentArray()) return S_FALSE;
    if (!signature_->HasNames()) return S_FALSE;

    // Only positions the event declares can be [out]: an extra argument never is.
    const UINT count = arguments_->cArgs;
    for (UINT i = 0; i < count; ++i) {
        if (!signature_->IsDeclaredOut(count - 1 - i)) continue;
        VARIANT* target = com::ResolveVariantReference(&arguments_->rgvarg[i]);
        const VARIANT* value = params_->FindValue(signature_->Name(count - i));
        if (!target || !value) continue;
        PELMORA_RETURN_IF_FAILED(com::StoreThroughReference(target, *value));
    }
    return S_OK;
}

}  // namespace pelmora
