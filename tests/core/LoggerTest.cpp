#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "AllocationFailure.h"
#include "ProductKeyFixture.h"
#include "TestSupport.h"
#include "component/PelmoraApp.h"
#include "core/Logger.h"
#include "library/ProductKeyValues.h"

namespace pelmora {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr size_t kTimeTextLength = 25;  // "Wed Jan 02 02:03:55 1980\n"
constexpr size_t kRotationSize = 196608;
constexpr size_t kMaxRecordLength = 4095;

// Checks that text starts with the time line of a record written since `since`: the
// local time in the C library's asctime form with English names, as strftime writes it
// in the C locale this program runs in, for some second from `since` to now.
::testing::AssertionResult StartsWithTimeSince(const std::string& text, std::time_t since) {
    const std::string line = text.substr(0, kTimeTextLength);
    for (std::time_t at = since - 1; at <= std::time(nullptr) + 1; ++at) {
        char made[32] = {};
        const std::tm* local = std::localtime(&at);
        if (local && std::strftime(made, sizeof(made), "%a %b %d %H:%M:%S %Y\n", local) && line == made) {
            return ::testing::AssertionSuccess();
        }
    }
    return ::testing::AssertionFailure() << "no time line of a moment since the start: \"" << line << "\"";
}

// Splits a log into records: a time line, then the text up to and including CR LF.
// Returns the second lines.
::testing::AssertionResult SplitRecords(const std::string& log, std::time_t since, std::vector<std::string>& lines) {
    lines.clear();
    size_t at = 0;
    while (at < log.size()) {
        auto time = StartsWithTimeSince(log.substr(at), since);
        if (!time) return time << " (record at offset " << at << ")";
        const size_t end = log.find("\r\n", at + kTimeTextLength);
        if (end == std::string::npos) {
            return ::testing::AssertionFailure() << "record at offset " << at << " has no line end";
        }
        lines.push_back(log.substr(at + kTimeTextLength, end + 2 - (at + kTimeTextLength)));
        at = end + 2;
    }
    return ::testing::AssertionSuccess();
}

// Pins the C library's time zone for one test to an offset of five and a half hours
// from universal time, so that local and universal time differ on any machine.
class ScopedTimeZone {
public:
    ScopedTimeZone() {
        if (const char* old = std::getenv("TZ")) old_ = std::string("TZ=") + old;
        _putenv("TZ=PLM-5:30");
        _tzset();
    }
    ~ScopedTimeZone() {
        _putenv(old_.c_str());
        _tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string old_ = "TZ=";  // removes the variable again
};

class LoggerTest : public ::testing::Test {
protected:
    void SetMask(DWORD mask) { ASSERT_EQ(ERROR_SUCCESS, test::WriteProductDword("LogErrors", mask)); }

    std::string Log() const { return ReadFileBytes(logPath_); }

    std::vector<std::string> Records() const {
        std::vector<std::string> lines;
        EXPECT_TRUE(SplitRecords(Log(), start_, lines));
        return lines;
    }

    const std::time_t start_ = std::time(nullptr);
    test::ScopedRegistryKey productKey_{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir dir_;
    std::wstring logPath_ = dir_ / L"Pelmora.log";
    std::wstring backupPath_ = dir_ / L"Pelmora.log.bak";
    CLogger logger_{logPath_};
};

// --- record format ---------------------------------------------------------------

TEST_F(LoggerTest, RecordIsLocalTimeLineThenLevelCodeMessageAndPlace) {
    ScopedTimeZone zone;
    SetMask(LOG_ERROR);
    const std::time_t before = std::time(nullptr);
    logger_.Log(LOG_ERROR, "message", E_FAIL, "CFoo::Bar", "Foo", 42);

    const std::string log = Log();
    ASSERT_TRUE(StartsWithTimeSince(log, before));
    EXPECT_EQ(log.substr(kTimeTextLength), ":<ERROR(-2147467259)> message in CFoo::Bar at Foo (line:42)\r\n");
}

TEST_F(LoggerTest, RecordsFollowEachOtherWithTheirLevelWords) {
    SetMask(LOG_ERROR | LOG_WARNING | LOG_INFO);
    logger_.Log(LOG_ERROR, "first", 1, "CA::One", "A", 1);
    logger_.Log(LOG_WARNING, "second", 0, "CB::Two", "B", 2);
    logger_.Log(LOG_INFO, "third", -5, "CC::Three", "C", 30000);

    EXPECT_EQ(Records(), (std::vector<std::string>{
                             ":<ERROR(1)> first in CA::One at A (line:1)\r\n",
                             ":<WARNING(0)> second in CB::Two at B (line:2)\r\n",
                             ":<INFO(-5)> third in CC::Three at C (line:30000)\r\n",
                         }));
}

TEST_F(LoggerTest, PercentSignsInTheValuesAreWrittenUnchanged) {
    SetMask(LOG_ERROR);
    logger_.Log(LOG_ERROR, "100% of %s %d %n %%", 1, "C%s::Op%d", "%n%n", 5);
    EXPECT_EQ(Records(),
              std::vector<std::string>{":<ERROR(1)> 100% of %s %d %n %% in C%s::Op%d at %n%n (line:5)\r\n"});
}

TEST_F(LoggerTest, NullStringsAreWrittenAsEmptyText) {
    SetMask(LOG_ERROR);
    logger_.Log(LOG_ERROR, nullptr, 1, nullptr, nullptr, 7);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)>  in  at  (line:7)\r\n"});
}

// --- level mask in the registry --------------------------------------------------------

TEST_F(LoggerTest, WithoutMaskNothingIsWrittenAndMaskIsCreatedAsZero) {
    ASSERT_FALSE(test::ProductKeyExists());
    logger_.Log(LOG_ERROR, "lost", 1, "C::F", "F", 1);

    EXPECT_FALSE(FileExists(logPath_));
    const test::RegistryValue mask = test::ReadProductValue("LogErrors");
    ASSERT_TRUE(mask.present);
    EXPECT_EQ(mask.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(mask.bytes, std::string(4, '\0'));
}

TEST_F(LoggerTest, UnusableMaskValuesAreReplacedByZeroDword) {
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
    };
    const Case cases[] = {
        {"string \"7\"", REG_SZ, std::string("7", 2)},
        {"eight-byte REG_DWORD", REG_DWORD, std::string("\x07\0\0\0\0\0\0\0", 8)},
        {"REG_QWORD 7", REG_QWORD, std::string("\x07\0\0\0\0\0\0\0", 8)},
        {"four-byte REG_BINARY", REG_BINARY, std::string("\x07\0\0\0", 4)},
        {"two-byte REG_DWORD", REG_DWORD, std::string("\x07\0", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS,
                  test::WriteProductValue("LogErrors", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())));
        logger_.Log(LOG_ERROR, "lost", 1, "C::F", "F", 1);

        EXPECT_FALSE(FileExists(logPath_));
        const test::RegistryValue mask = test::ReadProductValue("LogErrors");
        EXPECT_EQ(mask.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(mask.bytes, std::string(4, '\0'));
    }
}

TEST_F(LoggerTest, MaskSelectsTheLevelsWritten) {
    struct Case {
        DWORD mask;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {0, {}},
        {1, {":<ERROR(1)> e in C::F at F (line:1)\r\n"}},
        {2, {":<WARNING(2)> w in C::F at F (line:2)\r\n"}},
        {4, {":<INFO(4)> i in C::F at F (line:4)\r\n"}},
        {7,
         {":<ERROR(1)> e in C::F at F (line:1)\r\n", ":<WARNING(2)> w in C::F at F (line:2)\r\n",
          ":<INFO(4)> i in C::F at F (line:4)\r\n"}},
        {0xFFFFFFFF,
         {":<ERROR(1)> e in C::F at F (line:1)\r\n", ":<WARNING(2)> w in C::F at F (line:2)\r\n",
          ":<INFO(4)> i in C::F at F (line:4)\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mask " << c.mask);
        ::DeleteFileW(logPath_.c_str());
        SetMask(c.mask);
        logger_.Log(LOG_ERROR, "e", 1, "C::F", "F", 1);
        logger_.Log(LOG_WARNING, "w", 2, "C::F", "F", 2);
        logger_.Log(LOG_INFO, "i", 4, "C::F", "F", 4);
        EXPECT_EQ(Records(), c.written);
    }
}

TEST_F(LoggerTest, LevelsThatAreNotOneFlagAreNeverWritten) {
    SetMask(0xFFFFFFFF);
    for (UINT level : {0u, 3u, 5u, 6u, 7u, 8u, 0x80000000u}) {
        logger_.Log(level, "never", 1, "C::F", "F", 1);
    }
    EXPECT_FALSE(FileExists(logPath_));
}

TEST_F(LoggerTest, ChangedMaskTakesEffectAtTheNextReport) {
    SetMask(0);
    logger_.Log(LOG_ERROR, "off", 1, "C::F", "F", 1);
    EXPECT_FALSE(FileExists(logPath_));

    SetMask(LOG_ERROR);
    logger_.Log(LOG_ERROR, "on", 1, "C::F", "F", 2);
    SetMask(LOG_WARNING);
    logger_.Log(LOG_ERROR, "errors off", 1, "C::F", "F", 3);
    logger_.Log(LOG_WARNING, "warnings on", 1, "C::F", "F", 4);

    EXPECT_EQ(Records(), (std::vector<std::string>{":<ERROR(1)> on in C::F at F (line:2)\r\n",
                                                   ":<WARNING(1)> warnings on in C::F at F (line:4)\r\n"}));
}

// The mask is read through the product key the previous report opened; a key deleted
// in between, or deleted and made again, is noticed at the next report.
TEST_F(LoggerTest, MaskFollowsTheProductKeyDeletedAndMadeAgainBetweenReports) {
    SetMask(LOG_ERROR);
    logger_.Log(LOG_ERROR, "first", 1, "C::F", "F", 1);

    ::RegDeleteTreeW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    ASSERT_FALSE(test::ProductKeyExists());
    logger_.Log(LOG_ERROR, "key gone", 1, "C::F", "F", 2);
    const test::RegistryValue recreated = test::ReadProductValue("LogErrors");
    ASSERT_TRUE(recreated.present);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), recreated.type);
    EXPECT_EQ(std::string(4, '\0'), recreated.bytes);

    ::RegDeleteTreeW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, test::kProductKeyForTests);
    ASSERT_FALSE(test::ProductKeyExists());
    SetMask(LOG_WARNING);
    logger_.Log(LOG_WARNING, "new key", 1, "C::F", "F", 3);

    EXPECT_EQ(Records(), (std::vector<std::string>{":<ERROR(1)> first in C::F at F (line:1)\r\n",
                                                   ":<WARNING(1)> new key in C::F at F (line:3)\r\n"}));
}

// --- rotation --------------------------------------------------------------------

TEST_F(LoggerTest, LogOneByteUnderTheLimitGrowsThenRotatesOnTheFollowingRecord) {
    SetMask(LOG_ERROR);
    const std::string old(kRotationSize - 1, 'x');
    WriteFileBytes(logPath_, old);

    logger_.Log(LOG_ERROR, "grows", 1, "C::F", "F", 1);
    const std::string grown = Log();
    ASSERT_GT(grown.size(), kRotationSize);
    EXPECT_EQ(grown.substr(0, old.size()), old);
    EXPECT_EQ(grown.substr(old.size() + kTimeTextLength), ":<ERROR(1)> grows in C::F at F (line:1)\r\n");
    EXPECT_FALSE(FileExists(backupPath_));

    logger_.Log(LOG_ERROR, "rotates", 1, "C::F", "F", 2);
    EXPECT_EQ(ReadFileBytes(backupPath_), grown);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> rotates in C::F at F (line:2)\r\n"});
}

TEST_F(LoggerTest, LogAtTheLimitIsMovedAsideBeforeTheRecordIsWritten) {
    SetMask(LOG_ERROR);
    const std::string old(kRotationSize, 'x');
    WriteFileBytes(logPath_, old);

    logger_.Log(LOG_ERROR, "fresh", 1, "C::F", "F", 1);

    EXPECT_EQ(ReadFileBytes(backupPath_), old);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> fresh in C::F at F (line:1)\r\n"});
}

TEST_F(LoggerTest, RotationReplacesAnExistingBackup) {
    SetMask(LOG_ERROR);
    const std::string old(kRotationSize + 100, 'y');
    WriteFileBytes(logPath_, old);
    WriteFileBytes(backupPath_, "previous backup");

    logger_.Log(LOG_ERROR, "fresh", 1, "C::F", "F", 1);

    EXPECT_EQ(ReadFileBytes(backupPath_), old);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> fresh in C::F at F (line:1)\r\n"});
}

TEST_F(LoggerTest, MissingLogIsCreatedAndTheBackupLeftAlone) {
    SetMask(LOG_ERROR);
    WriteFileBytes(backupPath_, "keep me");
    ASSERT_FALSE(FileExists(logPath_));

    logger_.Log(LOG_ERROR, "first", 1, "C::F", "F", 1);

    EXPECT_EQ(ReadFileBytes(backupPath_), "keep me");
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> first in C::F at F (line:1)\r\n"});
}

TEST_F(LoggerTest, RotationWhileMemoryRunsOutStillMovesTheLogAsideAndWritesTheRecord) {
    SetMask(LOG_ERROR);
    test::AllocationFailure memory;
    // What a record takes without rotating (reading the mask may allocate) ...
    memory.Count();
    logger_.Log(LOG_ERROR, "counted", 1, "C::F", "F", 1);
    const unsigned long recordAllocations = test::AllocationFailure::Allocations();
    memory.Disarm();
    // ... is all a rotating one may take.
    const std::string old(kRotationSize, 'x');
    WriteFileBytes(logPath_, old);
    memory.Arm(recordAllocations);
    logger_.Log(LOG_ERROR, "fresh", 1, "C::F", "F", 1);
    memory.Disarm();
    EXPECT_TRUE(ReadFileBytes(backupPath_) == old) << "the log was not moved aside";
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> fresh in C::F at F (line:1)\r\n"});
}

TEST_F(LoggerTest, BackupThatCannotBeReplacedLetsTheLogGrowUntilTheNextRecord) {
    SetMask(LOG_ERROR);
    const std::string old(kRotationSize, 'x');
    WriteFileBytes(logPath_, old);
    WriteFileBytes(backupPath_, "held");
    HANDLE held = ::CreateFileW(backupPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    logger_.Log(LOG_ERROR, "kept", 1, "C::F", "F", 1);
    ::CloseHandle(held);
    const std::string grown = Log();
    EXPECT_EQ(grown.substr(0, old.size()), old);
    EXPECT_EQ(grown.substr(old.size() + kTimeTextLength), ":<ERROR(1)> kept in C::F at F (line:1)\r\n");
    EXPECT_EQ(ReadFileBytes(backupPath_), "held");

    logger_.Log(LOG_ERROR, "retried", 1, "C::F", "F", 2);
    EXPECT_EQ(ReadFileBytes(backupPath_), grown);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> retried in C::F at F (line:2)\r\n"});
}

// --- record length ---------------------------------------------------------------

// A message that makes the record "time line + :<ERROR(1)> message in F at S (line:1)\r\n"
// exactly recordLength characters long.
std::string MessageForRecordLength(size_t recordLength) {
    const size_t overhead = kTimeTextLength + std::strlen(":<ERROR(1)> ") + std::strlen(" in F at S (line:1)\r\n");
    std::string message;
    for (size_t i = 0; i < recordLength - overhead; ++i) message += static_cast<char>('a' + i % 26);
    return message;
}

TEST_F(LoggerTest, RecordOfMaximumLengthIsWrittenWhole) {
    SetMask(LOG_ERROR);
    const std::string message = MessageForRecordLength(kMaxRecordLength);
    logger_.Log(LOG_ERROR, message.c_str(), 1, "F", "S", 1);

    const std::string log = Log();
    EXPECT_EQ(log.size(), kMaxRecordLength);
    EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> " + message + " in F at S (line:1)\r\n"});
}

TEST_F(LoggerTest, LongerRecordIsCutAndTheNextRecordFollowsDirectly) {
    SetMask(LOG_ERROR);
    for (size_t over : {1, 2, 500, 10000}) {
        SCOPED_TRACE(::testing::Message() << over << " characters over");
        ::DeleteFileW(logPath_.c_str());
        const std::string message = MessageForRecordLength(kMaxRecordLength + over);
        const std::string whole = ":<ERROR(1)> " + message + " in F at S (line:1)\r\n";
        logger_.Log(LOG_ERROR, message.c_str(), 1, "F", "S", 1);
        logger_.Log(LOG_ERROR, "next", 2, "F", "S", 2);

        const std::string log = Log();
        ASSERT_TRUE(StartsWithTimeSince(log, start_));
        ASSERT_GE(log.size(), kMaxRecordLength);
        EXPECT_EQ(log.substr(kTimeTextLength, kMaxRecordLength - kTimeTextLength),
                  whole.substr(0, kMaxRecordLength - kTimeTextLength));
        const std::string rest = log.substr(kMaxRecordLength);
        ASSERT_TRUE(StartsWithTimeSince(rest, start_));
        EXPECT_EQ(rest.substr(kTimeTextLength), ":<ERROR(2)> next in F at S (line:2)\r\n");
    }
}

// --- file trouble and threads ------------------------------------------------------

TEST_F(LoggerTest, RecordForALogHeldWithoutSharingIsLostAndLaterRecordsAreWritten) {
    SetMask(LOG_ERROR);
    WriteFileBytes(logPath_, "before\r\n");
    HANDLE held = ::CreateFileW(logPath_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    logger_.Log(LOG_ERROR, "lost", 1, "C::F", "F", 1);
    ::CloseHandle(held);
    EXPECT_EQ(Log(), "before\r\n");

    logger_.Log(LOG_ERROR, "written", 1, "C::F", "F", 2);
    const std::string log = Log();
    ASSERT_EQ(log.substr(0, 8), "before\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(SplitRecords(log.substr(8), start_, lines));
    EXPECT_EQ(lines, std::vector<std::string>{":<ERROR(1)> written in C::F at F (line:2)\r\n"});
}

// A viewer holding the log for reading, as a log viewer or a copy in progress does:
// the logger cannot append to it, but a log at the limit is still moved aside (the
// holder lets it be renamed) and the record starts the new log; a smaller one keeps
// its bytes and the record is lost.
TEST_F(LoggerTest, LogHeldForReadingIsStillMovedAsideAtTheLimit) {
    SetMask(LOG_ERROR);
    struct Case {
        const char* name;
        size_t size;
        bool movedAside;
    };
    const Case cases[] = {
        {"under the limit", kRotationSize - 1, false},
        {"at the limit", kRotationSize, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(backupPath_.c_str());
        const std::string old(c.size, 'r');
        WriteFileBytes(logPath_, old);
        HANDLE viewer = ::CreateFileW(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(viewer, INVALID_HANDLE_VALUE);

        logger_.Log(LOG_ERROR, "after", 1, "C::F", "F", 1);
        ::CloseHandle(viewer);

        if (c.movedAside) {
            EXPECT_EQ(ReadFileBytes(backupPath_), old);
            EXPECT_EQ(Records(), std::vector<std::string>{":<ERROR(1)> after in C::F at F (line:1)\r\n"});
        } else {
            EXPECT_EQ(Log(), old);
            EXPECT_FALSE(FileExists(backupPath_));
        }
    }
}

TEST_F(LoggerTest, LogInAMissingFolderLosesTheRecordQuietly) {
    SetMask(LOG_ERROR);
    CLogger nowhere(dir_ / L"missing\\Pelmora.log");
    nowhere.Log(LOG_ERROR, "lost", 1, "C::F", "F", 1);
    EXPECT_FALSE(FileExists(dir_ / L"missing\\Pelmora.log"));
}

TEST_F(LoggerTest, ReportsFromSeveralThreadsStayWholeRecords) {
    SetMask(LOG_ERROR);
    constexpr int kThreads = 4;
    constexpr int kReports = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            const std::string message = "thread " + std::to_string(t) + std::string(200, static_cast<char>('a' + t));
            for (int i = 0; i < kReports; ++i) logger_.Log(LOG_ERROR, message.c_str(), t, "C::F", "F", i);
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::vector<std::string> lines = Records();
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kReports));
    std::vector<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kReports; ++i) {
            expected.push_back(":<ERROR(" + std::to_string(t) + ")> thread " + std::to_string(t) +
                               std::string(200, static_cast<char>('a' + t)) + " in C::F at F (line:" +
                               std::to_string(i) + ")\r\n");
        }
    }
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

// --- the log path ------------------------------------------------------------------

// Also where the ANSI code page cannot spell the folder, as on a profile named in
// another script: the records must not go to a "?" path that cannot exist.
TEST_F(LoggerTest, LoggerWritesPelmoraLogInTheScriptLocation) {
    for (const wchar_t* folder : {L"plain", L"\u03A9\u0416\u0915"}) {
        const std::wstring location = dir_ / folder;
        ASSERT_TRUE(::CreateDirectoryW(location.c_str(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, test::WriteProductStringWide(L"ScriptLocation", REG_SZ, location));
        SetMask(LOG_ERROR);

        // As the DLL makes its logger.
        CLogger logger(GetPelmoraApp().GetLogPath());
        EXPECT_EQ(logger.LogPath(), location + L"\\Pelmora.log");
        logger.Log(LOG_ERROR, "here", 1, "C::F", "F", 1);

        std::vector<std::string> lines;
        ASSERT_TRUE(SplitRecords(ReadFileBytes(location + L"\\Pelmora.log"), start_, lines)) << folder;
        EXPECT_EQ(lines, std::vector<std::string>{":<ERROR(1)> here in C::F at F (line:1)\r\n"});
    }
}

}  // namespace
}  // namespace pelmora
