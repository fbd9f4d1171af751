#pragma once
// What the browser stand-in did, one line per event fired or alert shown, in order,
// for the caller to read back, and told to a listener as it happens.
#include <functional>
#include <string>
#include <vector>

namespace pelmora::browser {

struct Transcript {
    std::vector<std::wstring> lines;
    // Hears each line once it is recorded; it runs inside the browser's calls and must
    // not throw.
    std::function<void(const std::wstring&)> listener;

    void Record(const std::wstring& what, const std::wstring& detail) {
        lines.push_back(what + L" " + detail);
        if (listener) listener(lines.back());
    }
};

}  // namespace pelmora::browser
