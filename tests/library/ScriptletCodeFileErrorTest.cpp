#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "FakeEventTypeInfo.h"
#include "MessageBoxRecorder.h"
#include "TestSupport.h"
#include "LogCapture.h"
#include "core/Logger.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"

namespace pelmora {
namespace {

using test::FakeEventTypeInfo;
using test::ReadFileBytes;

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) names.push_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return names;
}

using test::LogCapture;

class ScriptFileErrors : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", 7)); }

    HRESULT Save(const std::wstring& path) {
        CScriptletCode code(&typeInfo_);
        code.AddProperty(L"browser");
        return code.Save(path);
    }

    // The log record of a failed save: its level, code, message and place.
    static std::string RecordOf(DWORD error, const char* what, const std::wstring& path) {
        return ":<ERROR(" + std::to_string(error) + ")> " + what + " (" + test::ToAnsi(path) +
               "). in CScriptletCode::Save at ScriptletCode (line:";
    }

    void ExpectOneFileErrorBox(const std::wstring& path) {
        ASSERT_EQ(1u, boxes_.boxes().size());
        const test::RecordedMessageBox& box = boxes_.boxes().front();
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
        EXPECT_EQ(L"Pelmora", box.caption);
        ASSERT_GT(box.text.size(), path.size() + 1) << "no description after the path";
        EXPECT_EQ(path + L"\n", box.text.substr(0, path.size() + 1));
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir dir_;
    test::MessageBoxRecorder boxes_;
    FakeEventTypeInfo typeInfo_{{{L"DocumentComplete", {L"pDisp", L"URL"}}}};
};

TEST_F(ScriptFileErrors, MissingFolderFailsWithTheOpenErrorLoggedAndShown) {
    const std::wstring path = dir_ / L"no such folder\\new.WSC";
    const LogCapture log;

    EXPECT_EQ(E_FAIL, Save(path));

    EXPECT_NE(std::string::npos, log.Added().find(RecordOf(ERROR_PATH_NOT_FOUND, "Can not open file", path)))
        << log.Added();
    ExpectOneFileErrorBox(path);
    EXPECT_TRUE(FolderEntries(dir_.path()).empty());
}

TEST_F(ScriptFileErrors, ReadOnlyFileFailsWithTheOpenErrorAndKeepsItsContent) {
    const std::wstring path = dir_ / L"locked.WSC";
    test::WriteFileBytes(path, "old script");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const LogCapture log;

    EXPECT_EQ(E_FAIL, Save(path));

    EXPECT_NE(std::string::npos, log.Added().find(RecordOf(ERROR_ACCESS_DENIED, "Can not open file", path)))
        << log.Added();
    ExpectOneFileErrorBox(path);
    EXPECT_EQ("old script", ReadFileBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"locked.WSC"}, FolderEntries(dir_.path()));
}

TEST_F(ScriptFileErrors, FileHeldWithoutWriteSharingFailsWithTheOpenErrorAndKeepsItsContent) {
    const std::wstring path = dir_ / L"held.WSC";
    test::WriteFileBytes(path, "old script");
    HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    const LogCapture log;

    const HRESULT result = Save(path);
    ::CloseHandle(other);

    EXPECT_EQ(E_FAIL, result);
    EXPECT_NE(std::string::npos, log.Added().find(RecordOf(ERROR_SHARING_VIOLATION, "Can not open file", path)))
        << log.Added();
    ExpectOneFileErrorBox(path);
    EXPECT_EQ("old script", ReadFileBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"held.WSC"}, FolderEntries(dir_.path()));
}

TEST_F(ScriptFileErrors, FileThatCannotBeReplacedKeepsItsContentAndLeavesNoTemporaryFile) {
    const std::wstring path = dir_ / L"busy.WSC";
    test::WriteFileBytes(path, "old script");
    // Another program reads and writes it but does not let it be replaced.
    HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    const LogCapture log;

    const HRESULT result = Save(path);
    ::CloseHandle(other);

    EXPECT_EQ(E_FAIL, result);
    const std::string added = log.Added();
    EXPECT_NE(std::string::npos, added.find("> Can not save file (" + test::ToAnsi(path) +
                                            "). in CScriptletCode::Save at ScriptletCode (line:"))
        << added;
    EXPECT_EQ(std::string::npos, added.find("<ERROR(0)>")) << "the system error is missing: " << added;
    ExpectOneFileErrorBox(path);
    EXPECT_EQ("old script", ReadFileBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"busy.WSC"}, FolderEntries(dir_.path()));
}

TEST_F(ScriptFileErrors, SuccessfulSaveShowsNothingAndLogsNothing) {
    const LogCapture log;
    EXPECT_EQ(S_OK, Save(dir_ / L"fine.WSC"));
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_EQ("", log.Added());
}

}  // namespace
}  // namespace pelmora
