#pragma once
// How many kernel handles, GDI objects and windows this process holds, for the soak's
// clean end. Wine answers GetProcessHandleCount and GetGuiResources with 0, which
// would make a leak check that cannot fail; where the system's answer is 0 the counts
// are taken another way: handles by asking about each handle value, GDI objects from
// the process's shared GDI handle table, windows by enumerating them. Each way is
// calibrated once against objects made for the purpose, and a way that does not see
// them is reported as not countable rather than as 0.
#include <optional>
#include <string>

namespace pelmora::bandhost {

struct ProcessObjects {
    std::optional<unsigned> handles;
    std::optional<unsigned> gdi;
    std::optional<unsigned> user;  // windows of this process, top-level, child and message-only
};

[[nodiscard]] ProcessObjects CountProcessObjects();

// "n" or "not countable here".
[[nodiscard]] std::wstring CountText(const std::optional<unsigned>& count);

// Whether after grew past before by more than margin; a count that could not be taken
// on either side did not grow.
[[nodiscard]] bool GrewBeyond(const std::optional<unsigned>& before, const std::optional<unsigned>& after,
                              unsigned margin);

}  // namespace pelmora::bandhost
