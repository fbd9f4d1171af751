#pragma once
// Counted reference to a COM interface: AddRef on copy, Release on destruction.
#include <objbase.h>

#include <utility>

namespace pelmora::com {

template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to an existing pointer.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }

    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* p) noexcept {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    [[nodiscard]] T* Detach() noexcept { return std::exchange(p_, nullptr); }

    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    [[nodiscard]] T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Releases what is held, then hands out the address for an API to fill.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Hands a new reference to an out parameter.
    HRESULT CopyTo(T** out) const noexcept {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

    template <typename U>
    HRESULT As(ComPtr<U>& other) const noexcept {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(__uuidof(U), other.put_void());
    }

private:
    T* p_ = nullptr;
};

template <typename T, typename U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) noexcept {
    return a.get() == b.get();
}

}  // namespace pelmora::com
