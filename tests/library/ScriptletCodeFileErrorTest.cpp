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

    // Saves over path, held by other (when given) until the save returns: the save
    // fails with one file error box. Returns what was logged.
    std::string FailedSave(const std::wstring& path, HANDLE other = nullptr) {
        const LogCapture log;
        const HRESULT result = Save(path);
        if (other) ::CloseHandle(other);
        EXPECT_EQ(E_FAIL, result);
        ExpectOneFileErrorBox(path);
        return log.Added();
    }

    void ExpectOneFileErrorBox(const std::wstring& path) {
        ASSERT_EQ(1u, boxes_.boxes().size());
        const test::RecordedMessageBox& box = boxes_.boxes().front();
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
        EXPECT_EQ(L"Pelmora", box.caption);
        ASSERT_GT(box.text.size(), path.size() + 1) << "no description after the path";
        EXPECT_EQ(path + L"\n", box.text.substr(0, path.size() + 1));
    }

    // The old script is still there, and nothing beside it.
    void ExpectOnlyTheOldScript(const std::wstring& path, const wchar_t* name) {
        EXPECT_EQ("old script", ReadFileBytes(path));
        EXPECT_EQ(std::vector<std::wstring>{name}, FolderEntries(dir_.path()));
    }

    static HANDLE OpenShared(const std::wstring& path, DWORD share) {
        return ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir dir_;
    test::MessageBoxRecorder boxes_;
    FakeEventTypeInfo typeInfo_{{{L"DocumentComplete", {L"pDisp", L"URL"}}}};
};

TEST_F(ScriptFileErrors, MissingFolderFailsWithTheOpenErrorLoggedAndShown) {
    const std::wstring path = dir_ / L"no such folder\\new.WSC";
    const std::string log = FailedSave(path);
    EXPECT_NE(std::string::npos, log.find(RecordOf(ERROR_PATH_NOT_FOUND, "Can not open file", path))) << log;
    EXPECT_TRUE(FolderEntries(dir_.path()).empty());
}

TEST_F(ScriptFileErrors, ReadOnlyFileFailsWithTheOpenErrorAndKeepsItsContent) {
    const std::wstring path = dir_ / L"locked.WSC";
    test::WriteFileBytes(path, "old script");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string log = FailedSave(path);
    EXPECT_NE(std::string::npos, log.find(RecordOf(ERROR_ACCESS_DENIED, "Can not open file", path))) << log;
    ExpectOnlyTheOldScript(path, L"locked.WSC");
}

TEST_F(ScriptFileErrors, FileHeldWithoutWriteSharingFailsWithTheOpenErrorAndKeepsItsContent) {
    const std::wstring path = dir_ / L"held.WSC";
    test::WriteFileBytes(path, "old script");
    HANDLE other = OpenShared(path, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    const std::string log = FailedSave(path, other);
    EXPECT_NE(std::string::npos, log.find(RecordOf(ERROR_SHARING_VIOLATION, "Can not open file", path))) << log;
    ExpectOnlyTheOldScript(path, L"held.WSC");
}

TEST_F(ScriptFileErrors, FileThatCannotBeReplacedKeepsItsContentAndLeavesNoTemporaryFile) {
    const std::wstring path = dir_ / L"busy.WSC";
    test::WriteFileBytes(path, "old script");
    // Another program reads and writes it but does not let it be replaced.
    HANDLE other = OpenShared(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    const std::string log = FailedSave(path, other);
    EXPECT_NE(std::string::npos, log.find("> Can not save file (" + test::ToAnsi(path) +
                                          "). in CScriptletCode::Save at ScriptletCode (line:"))
        << log;
    EXPECT_EQ(std::string::npos, log.find("<ERROR(0)>")) << "the system error is missing: " << log;
    ExpectOnlyTheOldScript(path, L"busy.WSC");
}

TEST_F(ScriptFileErrors, SuccessfulSaveShowsNothingAndLogsNothing) {
    const LogCapture log;
    EXPECT_EQ(S_OK, Save(dir_ / L"fine.WSC"));
    EXPECT_TRUE(boxes_.boxes().empty());
    EXPECT_EQ("", log.Added());
}

}  // namespace
}  // namespace pelmora
