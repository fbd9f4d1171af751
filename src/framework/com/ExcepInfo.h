#pragma once
// Owner of one EXCEPINFO block. A failing Invoke may fill in three strings that the
// caller must free; this block frees them when it is refilled, cleared or destroyed.
#include <oaidl.h>
#include <oleauto.h>

#include <string>

namespace pelmora::com {

class ExcepInfo {
public:
    ExcepInfo() noexcept = default;
    ~ExcepInfo() { Clear(); }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;

    // Frees what is held, then hands out the block for a call to fill.
    EXCEPINFO* put() noexcept {
        Clear();
        return &value_;
    }
    [[nodiscard]] const EXCEPINFO& get() const noexcept { return value_; }

    // A callee may leave the strings to a deferred fill-in; this runs it once.
    void FillIn() noexcept {
        if (auto fill = value_.pfnDeferredFillIn) {
            value_.pfnDeferredFillIn = nullptr;
            fill(&value_);
        }
    }
    [[nodiscard]] std::wstring Description() const { return Text(value_.bstrDescription); }
    [[nodiscard]] std::wstring Source() const { return Text(value_.bstrSource); }

    void Clear() noexcept {
        ::SysFreeString(value_.bstrSource);
        ::SysFreeString(value_.bstrDescription);
        ::SysFreeString(value_.bstrHelpFile);
        value_ = EXCEPINFO{};
    }

private:
    static std::wstring Text(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring(); }

    EXCEPINFO value_{};
};

}  // namespace pelmora::com
