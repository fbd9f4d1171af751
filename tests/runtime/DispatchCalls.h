#pragma once
// Property access as a script engine does it: a name lookup, then Invoke.
#include <oaidl.h>

#include <gtest/gtest.h>

#include "framework/com/Variant.h"

namespace pelmora::test {

inline DISPID LookUp(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[1] = {const_cast<wchar_t*>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << "no member " << name;
    return id;
}

inline com::Variant GetProperty(IDispatch* object, DISPID id) {
    com::Variant result;
    DISPPARAMS none = {};
    EXPECT_EQ(S_OK, object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.get(),
                                   nullptr, nullptr));
    return result;
}

inline HRESULT PutProperty(IDispatch* object, DISPID id, const VARIANT& value) {
    VARIANTARG argument = value;  // borrowed: the callee copies what it keeps
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

inline VARIANT BoolValue(bool value) {
    VARIANT result;
    V_VT(&result) = VT_BOOL;
    V_BOOL(&result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

inline VARIANT IntValue(LONG value) {
    VARIANT result;
    V_VT(&result) = VT_I4;
    V_I4(&result) = value;
    return result;
}

// A VARIANT holding a new BSTR; the caller owns it.
inline com::Variant StringValue(const wchar_t* text) {
    com::Variant result;
    V_VT(result.get()) = VT_BSTR;
    V_BSTR(result.get()) = ::SysAllocString(text);
    return result;
}

inline std::wstring StringOf(const com::Variant& value) {
    EXPECT_EQ(VT_BSTR, V_VT(value.get()));
    return V_VT(value.get()) == VT_BSTR && V_BSTR(value.get()) ? std::wstring(V_BSTR(value.get())) : std::wstring();
}

}  // namespace pelmora::test
