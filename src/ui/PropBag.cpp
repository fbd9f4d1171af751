#include "ui/PropBag.h"

#include <cstring>
#include <new>

#include "framework/com/DllModule.h"

namespace pelmora {

CPropBag::CPropBag() { com::LockProcessModule(); }

CPropBag::~CPropBag() { com::UnlockProcessModule(); }

STDMETHODIMP CPropBag::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumString)) {
        *out = static_cast<IEnumString*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CPropBag::AddRef() { return static_cast<ULONG>(++refs_); }

STDMETHODIMP_(ULONG) CPropBag::Release() {
    const LONG refs = --refs_;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP CPropBag::Next(ULONG wanted, LPOLESTR* strings, ULONG* fetched) {
    if (!strings || !fetched) return E_POINTER;
    ULONG handedOut = 0;
    while (handedOut < wanted && cursor_ < strings_.size()) {
        const com::Bstr& entry = *strings_[cursor_];
        const size_t length = entry.length();
        auto* buffer = static_cast<wchar_t*>(::CoTaskMemAlloc((length + 2) * sizeof(wchar_t)));
        if (!buffer) break;
        if (length) std::memcpy(buffer, entry.get(), length * sizeof(wchar_t));
        buffer[length] = L'\0';
        strings[handedOut++] = buffer;
        ++cursor_;
    }
    *fetched = handedOut;
    return handedOut > 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CPropBag::Skip(ULONG count) {
    const size_t left = strings_.size() - cursor_;
    cursor_ += count < left ? count : left;
    return S_OK;
}

STDMETHODIMP CPropBag::Reset() {
    cursor_ = 0;
    return S_OK;
}

STDMETHODIMP CPropBag::Clone(IEnumString** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    CPropBag* clone = nullptr;
    try {
        clone = new CPropBag();
        clone->strings_ = strings_;
    } catch (...) {
        delete clone;
        return E_OUTOFMEMORY;
    }
    clone->cursor_ = cursor_;
    clone->AddRef();
    const HRESULT hr = clone->QueryInterface(IID_IEnumString, reinterpret_cast<void**>(out));
    clone->Release();
    return hr;
}

HRESULT CPropBag::AddString(const wchar_t* text) {
    try {
        strings_.push_back(std::make_shared<const com::Bstr>(text ? text : L""));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

}  // namespace pelmora
