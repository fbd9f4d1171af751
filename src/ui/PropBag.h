#pragma once
// A growing list of strings offered to the shell's AutoComplete object as an
// IEnumString. Strings are only appended; clones share them.
#include <objidl.h>

#include <memory>
#include <vector>

#include "framework/com/Bstr.h"

namespace pelmora {

class CPropBag final : public IEnumString {
public:
    CPropBag();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG wanted, LPOLESTR* strings, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumString** out) override;

    virtual HRESULT AddString(const wchar_t* text);

private:
    using SharedString = std::shared_ptr<const com::Bstr>;
    virtual ~CPropBag();

    std::vector<SharedString> strings_;
    size_t cursor_ = 0;
    LONG refs_ = 0;
};

}  // namespace pelmora
