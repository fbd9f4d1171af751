#pragma once
// What the browser stand-in did, one line per event fired or alert shown, in order,
// for the caller to read back.
#include <string>
#include <vector>

namespace pelmora::browser {

struct Transcript {
    std::vector<std::wstring> lines;

    void Record(const std::wstring& what, const std::wstring& detail) { lines.push_back(what + L" " + detail); }
};

}  // namespace pelmora::browser
