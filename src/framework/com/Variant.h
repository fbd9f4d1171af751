#pragma once
// Owner of one VARIANT: cleared on destruction and before it is refilled.
#include <oleauto.h>

#include <utility>

namespace pelmora::com {

// mingw declares VariantCopy's source without const; it is only read.
class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant& other) noexcept {
        ::VariantInit(&value_);
        ::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
    }
    Variant(Variant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    explicit Variant(const VARIANT& source) noexcept {
        ::VariantInit(&value_);
        ::VariantCopy(&value_, const_cast<VARIANT*>(&source));
    }
    ~Variant() { ::VariantClear(&value_); }
    Variant& operator=(Variant other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }

    [[nodiscard]] HRESULT CopyFrom(const VARIANT& source) noexcept {
        return ::VariantCopy(&value_, const_cast<VARIANT*>(&source));
    }
    // Hands the value over to a caller-owned VARIANT, leaving this one empty.
    void DetachTo(VARIANT* target) noexcept {
        *target = value_;
        ::VariantInit(&value_);
    }
    void Clear() noexcept { ::VariantClear(&value_); }

    VARIANT* get() noexcept { return &value_; }
    const VARIANT* get() const noexcept { return &value_; }
    VARIANT* operator->() noexcept { return &value_; }
    const VARIANT* operator->() const noexcept { return &value_; }
    VARIANT* put() noexcept {
        ::VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

}  // namespace pelmora::com
