#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "ProductKeyFixture.h"
#include "TestSupport.h"
#include "RegisteredEvents.h"
#include "library/ScriptLocation.h"

namespace pelmora {
namespace {

using test::DirectoryExists;

const std::wstring kMainFolder = L"\\" + test::kBrowserEventsId;
const std::wstring kUrlFolder = L"\\" + test::kWindowEventsId;

// The default location as the shell names the base folder on this system.
std::wstring ExpectedDefaultLocation() {
    wchar_t base[MAX_PATH + 1] = {};
    if (test::WindowsMajorVersion() < 6) {
        ::SHGetSpecialFolderPathW(nullptr, base, CSIDL_APPDATA, FALSE);
        return std::wstring(base) + L"\\Halvenne\\Pelmora";
    }
    ::SHGetSpecialFolderPathW(nullptr, base, CSIDL_PROFILE, FALSE);
    return std::wstring(base) + L"\\AppDataLocalLow\\\\Halvenne\\Pelmora";
}

class ScriptLocationTest : public test::ProductKeyTest {
protected:
    void SetLocation(DWORD type, const std::wstring& location) {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductString("ScriptLocation", type, test::ToAnsi(location)));
    }

    // The default folder is recreated by each test that expects it; it is empty in a
    // test prefix, and a non-empty one is never removed.
    void RemoveEmptyDefaultFolder() {
        ::RemoveDirectoryW(defaultLocation_.c_str());
        ASSERT_FALSE(DirectoryExists(defaultLocation_)) << "the default script folder holds files; use a fresh prefix";
    }

    test::TempDir dir_;
    const std::wstring defaultLocation_ = ExpectedDefaultLocation();
};

TEST_F(ScriptLocationTest, DefaultLivesInAppDataLocalLowOfTheProfileWithADoubledBackslash) {
    ASSERT_GE(test::WindowsMajorVersion(), 6u) << "this system takes the pre-Vista default";
    wchar_t profile[MAX_PATH + 1] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE));

    EXPECT_EQ(GetScriptLocation(), std::wstring(profile) + L"\\AppDataLocalLow\\\\Halvenne\\Pelmora");
}

TEST_F(ScriptLocationTest, WithoutProductKeyTheDefaultIsRecordedAndCreated) {
    RemoveEmptyDefaultFolder();
    ASSERT_FALSE(test::ProductKeyExists());

    EXPECT_EQ(GetScriptLocation(), defaultLocation_);

    const test::RegistryValue stored = test::ReadProductValue("ScriptLocation");
    ASSERT_TRUE(stored.present);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, test::ToAnsi(defaultLocation_) + '\0');
    EXPECT_NE(stored.bytes.find("\\\\Halvenne\\Pelmora"), std::string::npos);
    EXPECT_TRUE(DirectoryExists(defaultLocation_));
}

TEST_F(ScriptLocationTest, KeyWithoutValueGivesTheDefaultWithoutRecordingIt) {
    RemoveEmptyDefaultFolder();
    ASSERT_EQ(ERROR_SUCCESS, test::CreateProductKey());

    EXPECT_EQ(GetScriptLocation(), defaultLocation_);

    EXPECT_FALSE(test::ReadProductValue("ScriptLocation").present);
    EXPECT_TRUE(DirectoryExists(defaultLocation_));
}

TEST_F(ScriptLocationTest, ValueOfAnotherTypeIsIgnoredAndLeftAsItIs) {
    ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("ScriptLocation", 42));
    EXPECT_EQ(GetScriptLocation(), defaultLocation_);
    const test::RegistryValue stored = test::ReadProductValue("ScriptLocation");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));

    const std::string binary = test::ToAnsi(dir_ / L"binary") + '\0';
    ASSERT_EQ(ERROR_SUCCESS, test::WriteProductValue("ScriptLocation", REG_BINARY, binary.data(),
                                                     static_cast<DWORD>(binary.size())));
    EXPECT_EQ(GetScriptLocation(), defaultLocation_);
    EXPECT_FALSE(DirectoryExists(dir_ / L"binary"));
}

TEST_F(ScriptLocationTest, StoredStringIsUsedAndItsFolderCreated) {
    const std::wstring location = dir_ / L"scripts\\mine";
    SetLocation(REG_SZ, location);

    EXPECT_EQ(GetScriptLocation(), location);
    EXPECT_TRUE(DirectoryExists(location));
}

TEST_F(ScriptLocationTest, ExpandableStringIsUsedLiterallyWithoutExpandingVariables) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"PELMORA_LOCATION_PART", L"expanded"));
    const std::wstring location = dir_ / L"%PELMORA_LOCATION_PART%";
    SetLocation(REG_EXPAND_SZ, location);

    EXPECT_EQ(GetScriptLocation(), location);
    EXPECT_TRUE(DirectoryExists(location));
    EXPECT_FALSE(DirectoryExists(dir_ / L"expanded"));
    ::SetEnvironmentVariableW(L"PELMORA_LOCATION_PART", nullptr);
}

TEST_F(ScriptLocationTest, StringStoredWithoutTerminatingZeroIsReadWhole) {
    const std::string location = test::ToAnsi(dir_ / L"unterminated");
    // The byte after the counted data is not zero, so the registry cannot take it for
    // a forgotten terminator and store one.
    const std::string data = location + "X";
    ASSERT_EQ(ERROR_SUCCESS, test::WriteProductValue("ScriptLocation", REG_SZ, data.data(),
                                                     static_cast<DWORD>(location.size())));
    const test::RegistryValue stored = test::ReadProductValue("ScriptLocation");
    ASSERT_EQ(stored.bytes, location) << "the value was stored with a terminator";

    EXPECT_EQ(GetScriptLocation(), dir_ / L"unterminated");
    EXPECT_TRUE(DirectoryExists(dir_ / L"unterminated"));
}

// Greek, Cyrillic and Devanagari: no ANSI code page holds all three.
constexpr wchar_t kForeignName[] = L"\u03A9\u0416\u0915";

TEST_F(ScriptLocationTest, LocationTheAnsiCodePageCannotHoldIsReadAndUsedWhole) {
    const std::wstring location = dir_ / kForeignName;
    ASSERT_FALSE(test::AnsiHolds(location));
    ASSERT_EQ(ERROR_SUCCESS, test::WriteProductStringWide(L"ScriptLocation", REG_SZ, location));

    EXPECT_EQ(GetScriptLocation(), location);
    EXPECT_TRUE(DirectoryExists(location));
    EXPECT_EQ(GetMainScriptDirectory(), location + kMainFolder);
    EXPECT_TRUE(DirectoryExists(location + kMainFolder));
}

TEST_F(ScriptLocationTest, EmptyStringGivesAnEmptyLocation) {
    SetLocation(REG_SZ, L"");
    EXPECT_EQ(GetScriptLocation(), L"");
    EXPECT_EQ(test::ReadProductValue("ScriptLocation").bytes, std::string(1, '\0'));
}

TEST_F(ScriptLocationTest, ChangedValueTakesEffectAtTheNextCall) {
    SetLocation(REG_SZ, dir_ / L"first");
    EXPECT_EQ(GetScriptLocation(), dir_ / L"first");
    EXPECT_EQ(GetMainScriptDirectory(), dir_ / L"first" + kMainFolder);

    SetLocation(REG_SZ, dir_ / L"second");
    EXPECT_EQ(GetMainScriptDirectory(), dir_ / L"second" + kMainFolder);
    EXPECT_EQ(GetUrlScriptDirectory(), dir_ / L"second" + kUrlFolder);
    EXPECT_EQ(GetScriptLocation(), dir_ / L"second");
}

TEST_F(ScriptLocationTest, EventFoldersAreCreatedBelowTheLocation) {
    const std::wstring location = dir_ / L"fresh";
    SetLocation(REG_SZ, location);
    ASSERT_FALSE(DirectoryExists(location));

    EXPECT_EQ(GetMainScriptDirectory(), location + kMainFolder);
    EXPECT_TRUE(DirectoryExists(location + kMainFolder));
    EXPECT_FALSE(DirectoryExists(location + kUrlFolder));

    EXPECT_EQ(GetUrlScriptDirectory(), location + kUrlFolder);
    EXPECT_TRUE(DirectoryExists(location + kUrlFolder));
}

TEST_F(ScriptLocationTest, EnsureDirectoryCreatesMissingParentsAndKeepsExistingContent) {
    const std::wstring deep = dir_ / L"a\\b\\c";
    EnsureDirectory(deep);
    EXPECT_TRUE(DirectoryExists(deep));

    test::WriteFileBytes(deep + L"\\kept.WSC", "content");
    EnsureDirectory(deep);
    EnsureDirectory(dir_ / L"a");
    EXPECT_EQ(test::ReadFileBytes(deep + L"\\kept.WSC"), "content");
}

TEST_F(ScriptLocationTest, EnsureDirectoryLeavesAFileOfThatNameAlone) {
    const std::wstring file = dir_ / L"taken";
    test::WriteFileBytes(file, "data");
    EnsureDirectory(file);
    EXPECT_TRUE(test::FileExists(file));
    EXPECT_EQ(test::ReadFileBytes(file), "data");
}

TEST_F(ScriptLocationTest, UnknownSpecialFolderFallsBackToTheCurrentDirectory) {
    wchar_t current[MAX_PATH + 1] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH + 1, current), 0u);
    EXPECT_EQ(GetSpecialFolderPath(0xFF, false), current);
}

}  // namespace
}  // namespace pelmora
