#pragma once
// Follows the product's log file as records are appended: complete lines only (a
// record being written is read once its line ends), across the logger's rotation,
// which renames the full file to ".bak" and starts a new one.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pelmora::bandhost {

class LogTail {
public:
    // locate gives the log's path, or nothing while it is not known yet; it is asked
    // again at each read until it answers.
    explicit LogTail(std::function<std::wstring()> locate) : locate_(std::move(locate)) {}

    // What the log holds now is old: only records written later are read. A log whose
    // place is not known yet has nothing old.
    void SkipExisting();
    // The records appended since the last read, oldest first, without their line ends.
    std::vector<std::wstring> ReadNew();

private:
    bool Locate();
    // Reads the bytes from..to into the records; the number of bytes read.
    ULONGLONG ReadRange(const std::wstring& path, ULONGLONG from, ULONGLONG to, std::vector<std::wstring>& records);

    std::function<std::wstring()> locate_;
    std::wstring path_;
    ULONGLONG offset_ = 0;
    std::string partial_;
};

// The product's log: "Pelmora.log" in the folder that HKCU\SOFTWARE\Halvenne\Pelmora
// "ScriptLocation" names, read without creating anything; empty without the value.
std::wstring ProductLogPath();

}  // namespace pelmora::bandhost
