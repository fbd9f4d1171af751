#pragma once
// The names ITypeInfo::GetNames gives for one member: the member's own name first,
// then its parameters in declaration order. The strings are freed with the holder.
#include <oaidl.h>

#include <array>

#include "framework/com/Bstr.h"

namespace pelmora::com {

class MemberNames {
public:
    // Event interfaces declare far fewer parameters than this.
    static constexpr UINT kCapacity = 20;

    MemberNames() = default;
    MemberNames(const MemberNames&) = delete;
    MemberNames& operator=(const MemberNames&) = delete;

    // Replaces what is held by the names of member id; on failure nothing is held.
    [[nodiscard]] HRESULT Fetch(ITypeInfo* typeInfo, MEMBERID id) noexcept;

    // The name at position, or null for a position the type information did not fill.
    [[nodiscard]] BSTR operator[](size_t position) const noexcept {
        return position < names_.size() ? names_[position].get() : nullptr;
    }
    [[nodiscard]] UINT count() const noexcept { return count_; }

private:
    std::array<Bstr, kCapacity> names_;
    UINT count_ = 0;
};

}  // namespace pelmora::com
