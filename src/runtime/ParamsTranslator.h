#pragma once
// Turns the arguments of one event call into a Params object for the script, and
// afterwards copies the values of the event's [out] parameters back to the caller.
// Lives for one event call; the caller's DISPPARAMS must outlive it.
#include <oaidl.h>

#include <memory>

#include "framework/com/ComPtr.h"
#include "runtime/EventSignature.h"
#include "runtime/Params.h"

namespace pelmora {

class CParamsTranslator {
public:
    // Arguments may be null, as may its rgvarg: the Params object then has no members.
    CParamsTranslator(DISPID eventId, DISPPARAMS* arguments, ITypeInfo* eventTypeInfo) noexcept;
    // The same with the event's signature read beforehand from eventTypeInfo; a null
    // signature knows nothing of the event.
    CParamsTranslator(std::shared_ptr<const CEventSignature> signature, DISPPARAMS* arguments,
                      ITypeInfo* eventTypeInfo) noexcept;
    virtual ~CParamsTranslator() = default;
    CParamsTranslator(const CParamsTranslator&) = delete;
    CParamsTranslator& operator=(const CParamsTranslator&) = delete;

    // A new Params object holding plain copies of the arguments under the event's
    // parameter names (the last declared first); the translator keeps a reference too.
    // An event the type information cannot name, or with 20 or more arguments, gives
    // an object without members. Fails only when the object or a copy cannot be made.
    [[nodiscard]] HRESULT CreateParams(com::ComPtr<CParams>& params) noexcept;

    // Stores the Params values of the declared [out] parameters into the caller's
    // arguments. Call only after the script function succeeded. S_FALSE when there is
    // nothing to write to; a failure when a value could not be copied.
    [[nodiscard]] HRESULT WriteBack() noexcept;

private:
    [[nodiscard]] bool HasArgumentArray() const noexcept;
    [[nodiscard]] bool HasNames() const noexcept { return signature_ && signature_->HasNames(); }

    com::ComPtr<CParams> params_;
    com::ComPtr<ITypeInfo> eventTypeInfo_;
    DISPPARAMS* arguments_;
    std::shared_ptr<const CEventSignature> signature_;
};

}  // namespace pelmora
