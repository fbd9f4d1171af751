#pragma once
// One script folder followed while the form is shown: its change notification, the
// listing its tree was last filled from, and a change waiting for a quiet period.
// Editors save in several steps, so a change counts once a look finds no newer one;
// the folder is listed again only then.
#include <string>
#include <vector>

#include "framework/win/FolderWatch.h"

namespace pelmora {

class CScriptFolderWatch {
public:
    // Follows root (a folder that cannot be watched is only not followed), comparing
    // with known: what the tree was just filled from, so that what changed between the
    // filling and now also counts.
    void Start(const std::wstring& root, const win::KnownListing& known);
    void Stop() noexcept;
    [[nodiscard]] bool IsWatching() const noexcept { return watch_.IsWatching(); }

    // True when something changed since the last look; the change then waits.
    bool TakeChange() noexcept;
    // Lists the folder again when a change waits; true when the listing differs from
    // the one before.
    bool TakeSettledChange();
    // Takes the folder as it is now, changes included: whoever changed it has reloaded
    // what it changed.
    void Resync();
    // Lists the folder again at the next settled look, as after a change: another
    // program may have changed it while a command reloaded only what it changed.
    void LookAgain() noexcept { pending_ = true; }

private:
    win::FolderWatch watch_;
    std::wstring root_;
    std::vector<std::wstring> listing_;
    bool pending_ = false;
};

}  // namespace pelmora
