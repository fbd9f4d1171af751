#pragma once
// Lets a test read the records the process's log gains while it runs. Enables every
// level (write it after clearing the product key) and puts the log back as it was
// found, so the script folder's own tests still find it as they expect.
#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "core/Logger.h"
#include "library/ProductKeyValues.h"

namespace pelmora::test {

class LogCapture {
public:
    LogCapture() {
        WriteProductDword("LogErrors", LOG_ERROR | LOG_WARNING | LOG_INFO);
        existed_ = FileExists(Path());
        before_ = ReadFileBytes(Path());
        seen_ = before_.size();
    }
    ~LogCapture() {
        if (existed_) {
            WriteFileBytes(Path(), before_);
        } else {
            ::DeleteFileW(Path().c_str());
        }
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The text written since the capture began.
    [[nodiscard]] std::string Added() const {
        const std::string log = ReadFileBytes(Path());
        return log.size() > before_.size() ? log.substr(before_.size()) : std::string();
    }

    // The text written since the last call.
    std::string NewText() {
        const std::string log = ReadFileBytes(Path());
        std::string added = log.size() > seen_ ? log.substr(seen_) : std::string();
        seen_ = log.size();
        return added;
    }

private:
    static std::wstring Path() { return GetLogger().LogPath(); }

    bool existed_ = false;
    std::string before_;
    size_t seen_ = 0;
};

inline size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace pelmora::test
