#pragma once
// The registered type libraries whose descriptions answer the stand-in's IDispatch.
#include <exdisp.h>
#include <mshtml.h>

#include <string>

#include "framework/com/TypeInfoDispatch.h"

namespace pelmora::browser {

constexpr WORD kShDocVwMajorVersion = 1;
constexpr WORD kMshtmlMajorVersion = 4;

template <class Base>
class ShDocVwDispatch : public com::TypeInfoDispatch<Base> {
public:
    explicit ShDocVwDispatch(REFIID iid) noexcept
        : com::TypeInfoDispatch<Base>(LIBID_SHDocVw, kShDocVwMajorVersion, iid) {}
};

template <class Base>
class MshtmlDispatch : public com::TypeInfoDispatch<Base> {
public:
    explicit MshtmlDispatch(REFIID iid) noexcept : com::TypeInfoDispatch<Base>(LIBID_MSHTML, kMshtmlMajorVersion, iid) {}
};

// Copies a text into a BSTR out parameter.
inline HRESULT CopyText(const std::wstring& text, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace pelmora::browser
