#pragma once
// For tests that touch the product key: the key is removed before and after each test,
// and string values can be written through the wide functions as well as the ANSI ones
// of library/ProductKeyValues.h, the two ways a user, an installer or an older build
// may have stored them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "library/ProductKeyValues.h"

namespace pelmora::test {

class ProductKeyTest : public ::testing::Test {
protected:
    ScopedRegistryKey productKey_{HKEY_CURRENT_USER, kProductKeyForTests};
};

// A string value with its terminating zero, through the wide function.
inline LONG WriteProductStringWide(const wchar_t* name, DWORD type, const std::wstring& text) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKeyForTests, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status;
}

// Whether the ANSI code page holds every character of text.
inline bool AnsiHolds(const std::wstring& text) {
    BOOL lossy = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                          nullptr, &lossy);
    return !lossy;
}

}  // namespace pelmora::test
