#pragma once
// The host's running account of what happened, in the order it happened: the
// browser's events and alerts, what the host asked of the band and the band of its
// site, scripts attached to and detached from the band's list, the product's new log
// records, and the tour's steps. A line reads "<kind>: <text>", for example
//   event: DocumentComplete http://a.example/
//   attached: {34A715A0-6587-11D0-924A-0020AFC7AC4D}\demo.WSC
// Sources that are read by polling (the log file) are asked for their news before
// each new line, so their lines land where they happened.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pelmora::bandhost {

class HostTranscript {
public:
    using Listener = std::function<void(const std::wstring& line)>;
    using Poll = std::function<void()>;

    // Hears each line once it is added.
    void SetListener(Listener listener) { listener_ = std::move(listener); }
    // Runs before each line is added; may itself add lines.
    void SetPoll(Poll poll) { poll_ = std::move(poll); }

    void Add(const std::wstring& kind, const std::wstring& text);
    // A line of the browser stand-in: alerts and intervals keep their word as the kind,
    // every other line is an event.
    void AddBrowserLine(const std::wstring& line);
    // Lets the polled sources add what they have now.
    void Flush();

    [[nodiscard]] const std::vector<std::wstring>& Lines() const noexcept { return lines_; }
    // The first line at or after from that contains text; npos when none does.
    [[nodiscard]] size_t Find(const std::wstring& text, size_t from) const;

private:
    std::vector<std::wstring> lines_;
    Listener listener_;
    Poll poll_;
    bool polling_ = false;
};

// "S_OK", "E_NOTIMPL" and the other common results by name, any other as 0x%08X.
std::wstring HResultText(long hr);

}  // namespace pelmora::bandhost
