#pragma once
// Binding and calling script components the way the product does: CoGetObject on
// "script:" + path, then plain IDispatch calls.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "WscFixture.h"
#include "framework/com/ComPtr.h"
#include "framework/com/Variant.h"
#include "runtime/DispatchCalls.h"

namespace pelmora::test {

inline HRESULT BindScript(const std::wstring& path, com::ComPtr<IDispatch>& object) {
    return ::CoGetObject((L"script:" + path).c_str(), nullptr, IID_IDispatch, object.put_void());
}

// args in call order.
inline HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::vector<com::Variant> args,
                          VARIANT* result = nullptr, EXCEPINFO* exception = nullptr) {
    std::vector<VARIANT> reversed;
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg) reversed.push_back(*arg->get());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(LookUp(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                          exception, nullptr);
}

inline HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* result,
                           EXCEPINFO* exception = nullptr) {
    DISPPARAMS none{};
    return object->Invoke(LookUp(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                          result, exception, nullptr);
}

inline HRESULT PutProperty(IDispatch* object, const wchar_t* name, const com::Variant& value, WORD flags) {
    VARIANT argument = *value.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    return object->Invoke(LookUp(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                          nullptr);
}

inline com::Variant IntVariant(LONG value) {
    com::Variant variant;
    variant->vt = VT_I4;
    variant->lVal = value;
    return variant;
}

inline com::Variant DispatchVariant(IDispatch* object) {
    com::Variant variant;
    variant->vt = VT_DISPATCH;
    variant->pdispVal = object;
    object->AddRef();
    return variant;
}

// The value as a 32-bit integer (the engine may answer with any numeric type).
inline LONG AsInt(const VARIANT& value) {
    com::Variant converted;
    EXPECT_EQ(::VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_I4), S_OK) << "vt " << value.vt;
    return converted->lVal;
}

inline std::wstring AsText(const VARIANT& value) {
    com::Variant converted;
    EXPECT_EQ(::VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR), S_OK) << "vt " << value.vt;
    return converted->bstrVal ? std::wstring(converted->bstrVal, ::SysStringLen(converted->bstrVal)) : L"";
}

// The runtime DLL's own DllCanUnloadNow, asked while this holds the DLL loaded.
inline HRESULT RuntimeCanUnloadNow() {
    HMODULE runtime = ::GetModuleHandleW(L"scriptrt.dll");
    if (!runtime) return E_FAIL;
    using CanUnloadNowFn = HRESULT(WINAPI*)();
    auto canUnloadNow =
        reinterpret_cast<CanUnloadNowFn>(reinterpret_cast<void*>(::GetProcAddress(runtime, "DllCanUnloadNow")));
    return canUnloadNow ? canUnloadNow() : E_FAIL;
}

}  // namespace pelmora::test
