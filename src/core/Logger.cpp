#include "core/Logger.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/LogMask.h"
#include "framework/win/Ansi.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora {

namespace {

constexpr char kRecordFormat[] = "%s:<%s(%d)> %s in %s at %s (line:%d)\r\n";

const char* LevelWord(DWORD enabled) {
    switch (enabled) {
    case LOG_ERROR: return "ERROR";
    case LOG_WARNING: return "WARNING";
    case LOG_INFO: return "INFO";
    default: return nullptr;
    }
}

// The C library's asctime form in English, whatever the locale: "Wed Jan 02 02:03:55 1980\n".
void FormatTimeText(char (&text)[26]) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_s(&local, &now) != 0) local = std::tm{};
    std::snprintf(text, sizeof(text), "%.3s %.3s %02d %02d:%02d:%02d %04d\n", kDays[(local.tm_wday % 7 + 7) % 7],
                  kMonths[(local.tm_mon % 12 + 12) % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  local.tm_year + 1900);
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

CLogger::CLogger(std::wstring logPath) noexcept : logPath_(std::move(logPath)) {
    try {
        if (!logPath_.empty()) backupPath_ = logPath_ + L".bak";
    } catch (...) {
        logPath_.clear();  // a log that could never rotate is not started: every record is lost
    }
}

CLogger::~CLogger() = default;

void CLogger::Log(UINT level, const char* message, int code, const char* function, const char* sourceFile,
                  int line) noexcept {
    const char* levelWord = LevelWord(level & ReadLogMask());
    if (!levelWord || !lock_.initialized() || logPath_.empty()) return;
    win::CriticalSectionLock guard(lock_);
    char timeText[26] = {};
    FormatTimeText(timeText);
    AppendRecord(timeText, levelWord, code, OrEmpty(message), OrEmpty(function), OrEmpty(sourceFile), line);
}

void CLogger::AppendRecord(const char* timeText, const char* levelWord, int code, const char* message,
                           const char* function, const char* sourceFile, int line) noexcept {
    // A record longer than the buffer is cut, line end included.
    std::snprintf(record_, sizeof(record_), kRecordFormat, timeText, levelWord, code, message, function, sourceFile,
                  line);
    record_[kLogRecordMaxLength] = '\0';

    // The handle that appends also tells the size, so a record costs one open of the
    // file. A log at the limit is moved aside first and the record starts a new one.
    LARGE_INTEGER size{};
    win::UniqueFileHandle file = OpenForAppend(size);
    if (!file) {
        // Perhaps only reading is allowed (a read-only log): the size check with read
        // access may still move it aside and free the name.
        RotateLog();
        file = OpenForAppend(size);
    } else if (size.QuadPart >= kLogRotationSize) {
        file.reset();
        MoveAside();
        file = OpenForAppend(size);
    }
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), record_, static_cast<DWORD>(std::strlen(record_)), &written, nullptr);
}

win::UniqueFileHandle CLogger::OpenForAppend(LARGE_INTEGER& size) const noexcept {
    win::UniqueFileHandle file(::CreateFileW(logPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER start{};
    size.QuadPart = 0;
    if (file) ::SetFilePointerEx(file.get(), start, &size, FILE_END);
    return file;
}

void CLogger::MoveAside() noexcept {
    ::DeleteFileW(backupPath_.c_str());
    ::MoveFileW(logPath_.c_str(), backupPath_.c_str());
}

void CLogger::RotateLog() noexcept {
    LARGE_INTEGER size{};
    {
        win::UniqueFileHandle file(::CreateFileW(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !::GetFileSizeEx(file.get(), &size)) return;
    }
    if (size.QuadPart >= kLogRotationSize) MoveAside();
}

namespace log_detail {

void Write(UINT level, const char* message, int code, const char* function, const char* sourceFile,
           int line) noexcept {
    GetLogger().Log(level, message, code, function, sourceFile, line);
}

void Write(UINT level, const std::string& message, int code, const char* function, const char* sourceFile,
           int line) noexcept {
    GetLogger().Log(level, message.c_str(), code, function, sourceFile, line);
}

void Write(UINT level, const std::wstring& message, int code, const char* function, const char* sourceFile,
           int line) noexcept {
    try {
        GetLogger().Log(level, win::WideToAnsi(message).c_str(), code, function, sourceFile, line);
    } catch (...) {
        // No memory for the converted text: the record is lost, as any that cannot be written.
    }
}

}  // namespace log_detail

}  // namespace pelmora
