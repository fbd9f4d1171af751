#pragma once
// Owners of the descriptions an ITypeInfo hands out: each is given back to the same
// type information when the owner goes. The type information must outlive the owner.
#include <oaidl.h>

namespace pelmora::com {

namespace detail {
// A failed call hands out nothing to give back; a success must hand out something.
template <typename T>
HRESULT Checked(HRESULT hr, T*& out) noexcept {
    if (FAILED(hr)) {
        out = nullptr;
        return hr;
    }
    return out ? hr : E_UNEXPECTED;
}
}  // namespace detail

class TypeAttrHolder {
public:
    explicit TypeAttrHolder(ITypeInfo* typeInfo) noexcept : typeInfo_(typeInfo) {}
    ~TypeAttrHolder() {
        if (attr_) typeInfo_->ReleaseTypeAttr(attr_);
    }
    TypeAttrHolder(const TypeAttrHolder&) = delete;
    TypeAttrHolder& operator=(const TypeAttrHolder&) = delete;

    HRESULT Load() noexcept {
        if (attr_) return S_OK;
        return detail::Checked(typeInfo_->GetTypeAttr(&attr_), attr_);
    }
    [[nodiscard]] const TYPEATTR* get() const noexcept { return attr_; }
    const TYPEATTR* operator->() const noexcept { return attr_; }

private:
    ITypeInfo* typeInfo_;
    TYPEATTR* attr_ = nullptr;
};

class FuncDescHolder {
public:
    explicit FuncDescHolder(ITypeInfo* typeInfo) noexcept : typeInfo_(typeInfo) {}
    ~FuncDescHolder() {
        if (desc_) typeInfo_->ReleaseFuncDesc(desc_);
    }
    FuncDescHolder(const FuncDescHolder&) = delete;
    FuncDescHolder& operator=(const FuncDescHolder&) = delete;

    HRESULT Load(UINT index) noexcept {
        if (desc_) return E_UNEXPECTED;
        return detail::Checked(typeInfo_->GetFuncDesc(index, &desc_), desc_);
    }
    [[nodiscard]] const FUNCDESC* get() const noexcept { return desc_; }
    const FUNCDESC* operator->() const noexcept { return desc_; }

private:
    ITypeInfo* typeInfo_;
    FUNCDESC* desc_ = nullptr;
};

}  // namespace pelmora::com
