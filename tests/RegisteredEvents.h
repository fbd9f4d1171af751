#pragma once
// The event interfaces' type information as registered in the test prefix.
#include <exdisp.h>
#include <mshtml.h>
#include <oaidl.h>

#include <string>

#include <gtest/gtest.h>

#include "framework/com/ComPtr.h"
#include "framework/com/GuidText.h"

namespace pelmora::test {

// The braced ids of the event interfaces (the script folders' names and the start of
// each attachment label) and of their type libraries, from the platform's headers.
inline const std::wstring kBrowserEventsId = com::BracedGuidText(__uuidof(DWebBrowserEvents2)).text;
inline const std::wstring kWindowEventsId = com::BracedGuidText(__uuidof(HTMLWindowEvents)).text;
inline const std::wstring kShDocVwLibraryId = com::BracedGuidText(LIBID_SHDocVw).text;
inline const std::wstring kMshtmlLibraryId = com::BracedGuidText(LIBID_MSHTML).text;

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
    return detail::LoadEventTypeInfo(kShDocVwLibraryId.c_str(), 1, kBrowserEventsId.c_str());
}

// HTMLWindowEvents from the MSHTML type library 4.0.
inline com::ComPtr<ITypeInfo> LoadWindowEventsTypeInfo() {
    return detail::LoadEventTypeInfo(kMshtmlLibraryId.c_str(), 4, kWindowEventsId.c_str());
}

}  // namespace pelmora::test
