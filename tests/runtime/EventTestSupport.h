#pragma once
// What the runtime tests share: the registered event type information, and an
// IDispatch that counts its references as a browser's frame object would be counted.
#include <oaidl.h>

#include <gtest/gtest.h>

#include "framework/com/ComPtr.h"
#include "framework/com/DllModule.h"

namespace pelmora::test {

inline constexpr DISPID kDispidBeforeNavigate2 = 250;
inline constexpr DISPID kDispidNewWindow2 = 251;
inline constexpr DISPID kDispidDocumentComplete = 259;
inline constexpr DISPID kDispidOnError = 1002;
inline constexpr DISPID kDispidOnLoad = 1003;

namespace detail {

inline com::ComPtr<ITypeInfo> LoadEventTypeInfo(const wchar_t* libraryId, WORD major, const wchar_t* interfaceId) {
    GUID library{};
    IID events{};
    EXPECT_EQ(S_OK, ::CLSIDFromString(libraryId, &library));
    EXPECT_EQ(S_OK, ::CLSIDFromString(interfaceId, &events));
    com::ComPtr<ITypeLib> typeLib;
    const HRESULT loaded = ::LoadRegTypeLib(library, major, 0, LOCALE_SYSTEM_DEFAULT, typeLib.put());
    EXPECT_EQ(S_OK, loaded) << std::hex << loaded;
    com::ComPtr<ITypeInfo> typeInfo;
    if (typeLib) {
        EXPECT_EQ(S_OK, typeLib->GetTypeInfoOfGuid(events, typeInfo.put()));
    }
    return typeInfo;
}

}  // namespace detail

// DWebBrowserEvents2 from the SHDocVw type library 1.0.
inline com::ComPtr<ITypeInfo> LoadBrowserEventsTypeInfo() {
    return detail::LoadEventTypeInfo(L"{EAB22AC0-30C1-11CF-A7EB-0000C05BAE0B}", 1, L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}");
}

// HTMLWindowEvents from the MSHTML type library 4.0.
inline com::ComPtr<ITypeInfo> LoadWindowEventsTypeInfo() {
    return detail::LoadEventTypeInfo(L"{3050F1C5-98B5-11CF-BB82-00AA00BDCE0B}", 4, L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}");
}

// The module lock count of the process module.
inline LONG ModuleLockCount() {
    const com::DllModule* module = com::GetProcessModule();
    return module ? module->GetLockCount() : -1;
}

// Lives on the stack; starts with the one reference its creator holds.
class CountingDispatch final : public IDispatch {
public:
    [[nodiscard]] LONG References() const noexcept { return refs_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs_); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

private:
    LONG refs_ = 1;
};

}  // namespace pelmora::test
