#pragma once
// What an event interface's type information says of one event: its name, the names of
// its parameters and which of them are [out]. Read once and kept by the scriptlet that
// receives the event, since asking the type information on every call copies every
// name and the whole description each time.
#include <oaidl.h>

#include <vector>

#include "framework/com/MemberNames.h"

namespace pelmora {

class CEventSignature {
public:
    // Reads what typeInfo declares of member eventId; what it cannot tell stays unknown:
    // no names when GetNames fails, no [out] parameters without a function description.
    // Throws std::bad_alloc.
    CEventSignature(ITypeInfo* typeInfo, DISPID eventId);

    // Whether GetNames answered for the event, and its answer (E_POINTER without type
    // information).
    [[nodiscard]] bool HasNames() const noexcept { return SUCCEEDED(namesResult_); }
    [[nodiscard]] HRESULT NamesResult() const noexcept { return namesResult_; }
    // The event's own name at 0, its parameters in declaration order after it; null for
    // a position the type information did not fill.
    [[nodiscard]] const wchar_t* Name(size_t position) const noexcept { return names_[position]; }
    // Whether a function description was found for the event.
    [[nodiscard]] bool IsDescribed() const noexcept { return described_; }
    // Whether the parameter at declaration position is declared [out].
    [[nodiscard]] bool IsDeclaredOut(UINT position) const noexcept {
        return position < outParameters_.size() && outParameters_[position];
    }

private:
    com::MemberNames names_;
    std::vector<bool> outParameters_;
    HRESULT namesResult_ = E_POINTER;
    bool described_ = false;
};

}  // namespace pelmora
