#pragma once
// Owner of one BSTR.
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace pelmora::com {

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text) noexcept
        : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr& other) noexcept
        : value_(other.value_ ? ::SysAllocStringLen(other.value_, other.length()) : nullptr) {}
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    ~Bstr() { ::SysFreeString(value_); }
    Bstr& operator=(Bstr other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }

    static Bstr Attach(BSTR value) noexcept {
        Bstr result;
        result.value_ = value;
        return result;
    }
    [[nodiscard]] BSTR Detach() noexcept { return std::exchange(value_, nullptr); }

    [[nodiscard]] BSTR get() const noexcept { return value_; }
    [[nodiscard]] UINT length() const noexcept { return ::SysStringLen(value_); }
    [[nodiscard]] bool empty() const noexcept { return length() == 0; }
    [[nodiscard]] std::wstring str() const { return value_ ? std::wstring(value_, length()) : std::wstring(); }
    BSTR* put() noexcept {
        ::SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }

private:
    BSTR value_ = nullptr;
};

}  // namespace pelmora::com
