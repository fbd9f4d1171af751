// Typed registry values: what each read accepts, that a failed read leaves its out
// value as it was, and that strings go through whole, whichever way they were written.
// (A string stored without its terminating zero is a case of the script location's.)
#include <gtest/gtest.h>

#include <memory_resource>
#include <windows.h>

#include <string>
#include <vector>

#include "ProductKeyFixture.h"
#include "TestSupport.h"
#include "framework/win/RegKey.h"

namespace pelmora::win {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\PelmoraRegKeyTest";

class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreateRegKey(HKEY_CURRENT_USER, kTestKey, KEY_READ | KEY_WRITE, key_), 0); }

    void Write(const wchar_t* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(::RegSetValueExW(key_.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    static std::string Wide(const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
    }

    test::ScopedRegistryKey scope_{HKEY_CURRENT_USER, kTestKey};
    UniqueHKey key_;
};

TEST_F(RegKeyTest, EachReadTakesItsOwnTypeOnlyAndLeavesItsValueUntouchedOtherwise) {
    Write(L"dword", REG_DWORD, std::string("\x2A\0\0\0", 4));
    Write(L"short dword", REG_DWORD, std::string("\x2A\0\0", 3));
    Write(L"long dword", REG_DWORD, std::string(8, '\x01'));
    Write(L"string", REG_SZ, Wide(L"text"));
    Write(L"expandable", REG_EXPAND_SZ, Wide(L"%TEMP%\\x"));
    Write(L"binary", REG_BINARY, std::string("\x00\x01\x02", 3));
    Write(L"empty binary", REG_BINARY, std::string());

    struct Case {
        const wchar_t* name;
        LONG dword;  // status of each read
        LONG string;
        LONG binary;
    };
    const Case cases[] = {
        {L"dword", ERROR_SUCCESS, ERROR_UNSUPPORTED_TYPE, ERROR_UNSUPPORTED_TYPE},
        {L"short dword", ERROR_INVALID_DATA, ERROR_UNSUPPORTED_TYPE, ERROR_UNSUPPORTED_TYPE},
        {L"long dword", ERROR_INVALID_DATA, ERROR_UNSUPPORTED_TYPE, ERROR_UNSUPPORTED_TYPE},
        {L"string", ERROR_UNSUPPORTED_TYPE, ERROR_SUCCESS, ERROR_UNSUPPORTED_TYPE},
        {L"expandable", ERROR_UNSUPPORTED_TYPE, ERROR_SUCCESS, ERROR_UNSUPPORTED_TYPE},
        {L"binary", ERROR_UNSUPPORTED_TYPE, ERROR_UNSUPPORTED_TYPE, ERROR_SUCCESS},
        {L"empty binary", ERROR_UNSUPPORTED_TYPE, ERROR_UNSUPPORTED_TYPE, ERROR_SUCCESS},
        {L"absent", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        DWORD dword = 7;
        std::wstring text = L"before";
        std::vector<BYTE> bytes = {9};
        std::pmr::monotonic_buffer_resource memory;
        std::pmr::vector<BYTE> pooled({9}, &memory);
        EXPECT_EQ(ReadRegDword(key_.get(), c.name, dword), c.dword);
        EXPECT_EQ(ReadRegString(key_.get(), c.name, text), c.string);
        EXPECT_EQ(ReadRegBinary(key_.get(), c.name, bytes), c.binary);
        EXPECT_EQ(ReadRegBinary(key_.get(), c.name, pooled), c.binary);
        EXPECT_EQ(std::vector<BYTE>(pooled.begin(), pooled.end()), bytes) << "both reads give the same bytes";
        EXPECT_EQ(pooled.get_allocator().resource(), &memory) << "read into the caller's memory";
        if (c.dword != ERROR_SUCCESS) {
            EXPECT_EQ(dword, 7u);
        }
        if (c.string != ERROR_SUCCESS) {
            EXPECT_EQ(text, L"before");
        }
        if (c.binary != ERROR_SUCCESS) {
            EXPECT_EQ(bytes, std::vector<BYTE>{9});
        }
    }

    DWORD dword = 0;
    ASSERT_EQ(ReadRegDword(key_.get(), L"dword", dword), ERROR_SUCCESS);
    EXPECT_EQ(dword, 42u);
    std::wstring text;
    ASSERT_EQ(ReadRegString(key_.get(), L"expandable", text), ERROR_SUCCESS);
    EXPECT_EQ(text, L"%TEMP%\\x") << "variables are not expanded";
    std::vector<BYTE> bytes = {9};
    ASSERT_EQ(ReadRegBinary(key_.get(), L"binary", bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, (std::vector<BYTE>{0, 1, 2}));
    ASSERT_EQ(ReadRegBinary(key_.get(), L"empty binary", bytes), ERROR_SUCCESS);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(RegKeyTest, StringsReadBackWholeWhicheverWayTheyWereWritten) {
    // Greek, Cyrillic and Devanagari: no ANSI code page holds all three.
    const std::wstring foreign = L"C:\\Users\\\u03A9\u0416\u0915\\Pelmora";
    ASSERT_FALSE(test::AnsiHolds(foreign));
    ASSERT_EQ(WriteRegString(key_.get(), L"foreign", foreign), ERROR_SUCCESS);
    std::wstring read;
    ASSERT_EQ(ReadRegString(key_.get(), L"foreign", read), ERROR_SUCCESS);
    EXPECT_EQ(read, foreign);

    // Through the ANSI function, as an older build or a user's .reg file may have.
    const std::string ansi = "C:\\Scripts\\Mine";
    ASSERT_EQ(::RegSetValueExA(key_.get(), "ansi", 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                               static_cast<DWORD>(ansi.size() + 1)),
              ERROR_SUCCESS);
    ASSERT_EQ(ReadRegString(key_.get(), L"ansi", read), ERROR_SUCCESS);
    EXPECT_EQ(read, L"C:\\Scripts\\Mine");
    ASSERT_EQ(WriteRegString(key_.get(), L"written wide", L"C:\\Scripts\\Mine"), ERROR_SUCCESS);
    char back[64] = {};
    DWORD size = sizeof(back);
    ASSERT_EQ(::RegQueryValueExA(key_.get(), "written wide", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(back, size), ansi + '\0') << "stored with its terminating zero";
}

}  // namespace
}  // namespace pelmora::win
