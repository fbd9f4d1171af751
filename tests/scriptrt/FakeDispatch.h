#pragma once
// A plain IDispatch object for scripts to read and write: every name it is asked for
// becomes a property, and it counts its references.
#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

#include "FakeCom.h"
#include "framework/com/Variant.h"

namespace pelmora::test {

class FakeDispatch : public FakeObjectDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = DispidOf(names[i]);
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id < 1 || static_cast<size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
        com::Variant& value = values_[names_[static_cast<size_t>(id) - 1]];
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            return value.CopyFrom(params->rgvarg[0]);
        }
        if (!result) return S_OK;
        return ::VariantCopy(result, value.get());
    }

    // The value a script stored, or VT_EMPTY.
    com::Variant& operator[](const std::wstring& name) { return values_[name]; }

private:
    DISPID DispidOf(const std::wstring& name) {
        for (size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name) return static_cast<DISPID>(i + 1);
        names_.push_back(name);
        return static_cast<DISPID>(names_.size());
    }

    std::vector<std::wstring> names_;
    std::map<std::wstring, com::Variant> values_;
};

}  // namespace pelmora::test
