#pragma once
// Owners of the descriptions an ITypeInfo lends out: each goes back to the type
// information that made it, through its own release call.
#include <oaidl.h>

#include <utility>

#include "framework/com/ComPtr.h"

namespace pelmora::com {

template <typename Description, void (STDMETHODCALLTYPE ITypeInfo::*ReleaseMethod)(Description*)>
class BorrowedDescription {
public:
    BorrowedDescription() noexcept = default;
    BorrowedDescription(const BorrowedDescription&) = delete;
    BorrowedDescription& operator=(const BorrowedDescription&) = delete;
    BorrowedDescription(BorrowedDescription&& other) noexcept
        : owner_(std::move(other.owner_)), description_(std::exchange(other.description_, nullptr)) {}
    BorrowedDescription& operator=(BorrowedDescription&& other) noexcept {
        if (this != &other) {
            reset();
            owner_ = std::move(other.owner_);
            description_ = std::exchange(other.description_, nullptr);
        }
        return *this;
    }
    ~BorrowedDescription() { reset(); }

    void reset() noexcept {
        if (description_ && owner_) (owner_.get()->*ReleaseMethod)(description_);
        description_ = nullptr;
        owner_.reset();
    }

    // Releases what is held, then hands out the address for owner to fill.
    Description** put(ITypeInfo* owner) noexcept {
        reset();
        owner_ = ComPtr<ITypeInfo>(owner);
        return &description_;
    }

    [[nodiscard]] Description* get() const noexcept { return description_; }
    Description* operator->() const noexcept { return description_; }
    explicit operator bool() const noexcept { return description_ != nullptr; }

private:
    ComPtr<ITypeInfo> owner_;
    Description* description_ = nullptr;
};

using TypeAttrHolder = BorrowedDescription<TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDescHolder = BorrowedDescription<FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;

}  // namespace pelmora::com
