#pragma once
// How item names are stored in a state value: as their bytes in the system's ANSI code
// page, which values saved before rely on. A name the code page cannot hold exactly is
// not stored at all, with everything below it: its converted bytes could equal those
// of another name (a best-fit "a" for "ā", or "?"), and the two items would read back
// as one, carrying one of their states.
#include <optional>
#include <string>
#include <string_view>

#include "state/StateStorage.h"

namespace pelmora {

// The bytes the name is stored as, or nothing when it cannot be stored losslessly.
std::optional<std::string> StoredItemName(std::wstring_view name);

// The number of items of the storage, at any depth, left out of its block because of
// their names (an item left out is counted, the items below it are not).
size_t CountUnstorableItems(const CStateStorage& storage) noexcept;

}  // namespace pelmora
