#pragma once
// The process-wide log. Each report becomes a two-line record appended to the log file
// ("Pelmora.log" in the script location, which the DLL hands to its logger), if the
// "LogErrors" mask enables its level. Writing a record never fails the caller: a record
// that cannot be written is lost.
#include <windows.h>

#include <string>

#include "framework/win/CriticalSection.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora {

enum : UINT {
    LOG_ERROR = 1,
    LOG_WARNING = 2,
    LOG_INFO = 4,
};

inline constexpr DWORD kLogRotationSize = 0x30000;  // 192 KiB
inline constexpr size_t kLogRecordMaxLength = 4095;
inline constexpr wchar_t kLogFileName[] = L"Pelmora.log";

class CLogger {
public:
    // A log at logPath, fixed for the logger's life; with an empty path every record is
    // lost. The path is wide so that a profile folder the ANSI code page cannot spell
    // still gets its log.
    explicit CLogger(std::wstring logPath) noexcept;
    virtual ~CLogger();
    CLogger(const CLogger&) = delete;
    CLogger& operator=(const CLogger&) = delete;

    // level holds exactly one of the LOG_ flags; the strings are ANSI.
    void Log(UINT level, const char* message, int code, const char* function, const char* sourceFile,
             int line) noexcept;

    [[nodiscard]] const std::wstring& LogPath() const noexcept { return logPath_; }

private:
    void AppendRecord(const char* timeText, const char* levelWord, int code, const char* message,
                      const char* function, const char* sourceFile, int line) noexcept;
    // Opens the log for appending, at its end; size receives its length. None when the
    // log cannot be opened for writing.
    win::UniqueFileHandle OpenForAppend(LARGE_INTEGER& size) const noexcept;
    // Moves the log to the backup name, replacing the backup; failures are ignored.
    void MoveAside() noexcept;
    // Moves the log aside when it is at the limit, found with read access.
    void RotateLog() noexcept;

    win::CriticalSection lock_;
    std::wstring logPath_;
    // Made with the path, so that rotating allocates nothing.
    std::wstring backupPath_;
    char record_[kLogRecordMaxLength + 1] = {};
};

// The one logger of the process.
CLogger& GetLogger() noexcept;

namespace log_detail {

constexpr bool IsNameCharacter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether a compiler's full function name ("virtual HRESULT pelmora::CScriptlet::Invoke(DISPID, ...)",
// or a lambda inside it) is that of function ("CScriptlet::Invoke"): the name stands
// whole, right before an opening parenthesis.
constexpr bool NamesFunction(const char* fullName, const char* function) noexcept {
    for (const char* start = fullName; *start; ++start) {
        if (start != fullName && IsNameCharacter(start[-1])) continue;
        const char* at = start;
        const char* name = function;
        while (*name && *at == *name) ++at, ++name;
        if (!*name && *at == '(') return true;
    }
    return false;
}

void Write(UINT level, const char* message, int code, const char* function, const char* sourceFile,
           int line) noexcept;
void Write(UINT level, const std::string& message, int code, const char* function, const char* sourceFile,
           int line) noexcept;
// The message converted to the ANSI code page.
void Write(UINT level, const std::wstring& message, int code, const char* function, const char* sourceFile,
           int line) noexcept;

}  // namespace log_detail

}  // namespace pelmora

// One report from the line it is written on: the file's kSourceFile constant names
// the source file, and function must name the function the report is written in,
// which the compiler checks, so that a record copied elsewhere cannot keep a stale name.
#define PELMORA_LOG(level, message, code, function)                                                      \
    do {                                                                                                 \
        static_assert(::pelmora::log_detail::NamesFunction(__PRETTY_FUNCTION__, function),               \
                      "the log record names a function other than the one it is written in");           \
        ::pelmora::log_detail::Write((level), (message), static_cast<int>(code), (function), kSourceFile, \
                                     __LINE__);                                                          \
    } while (false)
