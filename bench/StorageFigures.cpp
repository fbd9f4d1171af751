// What Pelmora writes: the saved marks of a tree, and one log record.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "BenchData.h"
#include "Figures.h"
#include "Measure.h"
#include "TestSupport.h"
#include "core/Logger.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "state/StateStorage.h"

namespace pelmora::bench {

namespace {

constexpr wchar_t kMarksValue[] = L"\\bench\\marks.WSC";
constexpr wchar_t kBaselineValue[] = L"\\bench\\baseline";
constexpr int kScriptsPerMarkFolder = 99;

// The least a program does to keep bytes in the registry: open, write, close; open,
// read (size first), close.
bool WriteAndReadValue(const std::string& bytes, std::string& read) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    ::RegSetValueExW(key, kBaselineValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0, type = 0;
    bool ok = ::RegQueryValueExW(key, kBaselineValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        read.resize(size);
        ok = ::RegQueryValueExW(key, kBaselineValue, nullptr, &type, reinterpret_cast<BYTE*>(read.data()), &size) ==
             ERROR_SUCCESS;
    }
    ::RegCloseKey(key);
    return ok;
}

size_t CountItems(const CStateStorage& storage) {
    size_t count = 0;
    for (const auto& [name, item] : storage.Items()) count += 1 + CountItems(item->Children());
    return count;
}

}  // namespace

bool MeasureMarks(const Settings& settings, Report& report) {
    // Folders of 99 scripts each, every second one checked, as a big tree saves them.
    CRootStorage marks(kMarksValue);
    int items = 0;
    for (int folder = 0; items < settings.markItems; ++folder) {
        wchar_t folderKey[32];
        swprintf(folderKey, 32, L"\\folder%03d\\", folder);
        marks.SetValue(folderKey, kFolderMarkedState | TVIS_EXPANDED);
        ++items;
        for (int script = 0; script < kScriptsPerMarkFolder && items < settings.markItems; ++script, ++items) {
            wchar_t key[64];
            swprintf(key, 64, L"%lsscript_%03d.WSC", folderKey, script);
            marks.SetValue(key, script % 2 ? kUncheckedState : kCheckedState);
        }
    }
    const std::string bytes(marks.GetSerializedSize(), '\0');
    std::string read;

    bool pelmoraOk = true, baselineOk = true;
    const PairedResult result = MeasurePaired(
        settings.quick,
        [&] {
             CRootStorage loaded(kMarksValue);
             const double start = NowMicroseconds();
             const bool saved = marks.Save();
             loaded.Load();
             const double elapsed = NowMicroseconds() - start;
             pelmoraOk = pelmoraOk && saved && CountItems(loaded) == static_cast<size_t>(items);
             return elapsed;
         },
        [&] {
             const double start = NowMicroseconds();
             const bool ok = WriteAndReadValue(bytes, read);
             const double elapsed = NowMicroseconds() - start;
             baselineOk = baselineOk && ok && read.size() == bytes.size();
             return elapsed;
         });
    if (!pelmoraOk) return Fail("the marks did not come back whole");
    if (!baselineOk) return Fail("the baseline value did not come back whole");
    report.Add(PairedRow("marks, " + std::to_string(items) + " items", result, 2.0,
                         "save and load of one " + std::to_string(bytes.size() / 1024) + " KiB value, " +
                             std::to_string(settings.quick.rounds) + " rounds a pair"));
    return true;
}

bool MeasureLogRecord(const Settings& settings, Report& report) {
    if (test::WriteProductDword("LogErrors", LOG_ERROR) != ERROR_SUCCESS) return Fail("cannot switch logging on");
    const std::wstring logPath = settings.workDirectory + L"\\Pelmora.log";
    const std::wstring baselinePath = settings.workDirectory + L"\\baseline.log";
    CLogger logger(logPath);
    const char kMessage[] = "Can not create scriptlet object (script:C:\\Scripts\\news\\daily.WSC).";
    const char kFunction[] = "CScriptlet::Load";
    const char kSource[] = "Scriptlet";
    // The baseline appends a record of the same length.
    char record[512];
    const int length = std::snprintf(record, sizeof(record), "%s:<%s(%d)> %s in %s at %s (line:%d)\r\n",
                                     "Wed Dec 09 12:00:00 2026\n", "ERROR", static_cast<int>(E_FAIL), kMessage,
                                     kFunction, kSource, 42);

    const int records = settings.smoke ? 1 : 10;
    bool baselineOk = true;
    const PairedResult result = MeasurePaired(
        settings.quick,
        [&] {
             ::DeleteFileW(logPath.c_str());
             return TimePerRun(records, [&] {
                 logger.Log(LOG_ERROR, kMessage, static_cast<int>(E_FAIL), kFunction, kSource, 42);
             });
         },
        [&] {
             ::DeleteFileW(baselinePath.c_str());
             return TimePerRun(records, [&] {
                 HANDLE file = ::CreateFileW(baselinePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
                 if (file == INVALID_HANDLE_VALUE) {
                     baselineOk = false;
                     return;
                 }
                 ::SetFilePointer(file, 0, nullptr, FILE_END);
                 DWORD written = 0;
                 baselineOk = ::WriteFile(file, record, static_cast<DWORD>(length), &written, nullptr) && baselineOk;
                 ::CloseHandle(file);
             });
         });
    const size_t logged = test::ReadFileBytes(logPath).size();
    const size_t appended = test::ReadFileBytes(baselinePath).size();
    if (!baselineOk) return Fail("the baseline could not append");
    if (logged != appended) {
        return Fail("the log holds " + std::to_string(logged) + " bytes where the baseline appended " +
                    std::to_string(appended));
    }
    report.Add(PairedRow("log record", result, 1.5,
                         std::to_string(records) + " records a round, " + std::to_string(settings.quick.rounds) +
                             " rounds a pair, each record " + std::to_string(length) + " bytes"));
    return true;
}

}  // namespace pelmora::bench
