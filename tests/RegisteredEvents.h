#pragma once
// The event interfaces' type information as registered in the test prefix.
#include <oaidl.h>

#include <gtest/gtest.h>

#include "framework/com/ComPtr.h"

namespace pelmora::test {

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

}  // namespace pelmora::test
