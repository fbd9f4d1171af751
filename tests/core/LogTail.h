#pragma once
// Reads what the process's log gained during a test.
#include <string>

#include "TestSupport.h"
#include "core/Logger.h"
#include "framework/win/Ansi.h"

namespace pelmora::test {

// What the process's log gains from here on (the whole log when it was rotated). A log
// that did not exist before is removed again: the default script folder stays empty.
class LogTail {
public:
    LogTail()
        : path_(win::AnsiToWide(GetLogger().LogPath())),
          existed_(test::FileExists(path_)),
          start_(test::ReadFileBytes(path_).size()) {}
    ~LogTail() {
        if (!existed_) ::DeleteFileW(path_.c_str());
    }
    LogTail(const LogTail&) = delete;
    LogTail& operator=(const LogTail&) = delete;

    [[nodiscard]] std::string Added() const {
        const std::string log = test::ReadFileBytes(path_);
        return log.size() >= start_ ? log.substr(start_) : log;
    }

private:
    std::wstring path_;
    bool existed_;
    size_t start_;
};

}  // namespace pelmora::test
