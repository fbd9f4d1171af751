#pragma once
// The locations of completed documents, one per distinct href, ordered by href
// (ordinal UTF-16 comparison, case-sensitive, a prefix before what it begins).
// Locations are shared between the set and the snapshots handed out.
#include <memory>
#include <set>
#include <string_view>

#include "runtime/Location.h"

namespace pelmora {

// Also finds a location by its href alone, without making one.
struct HrefOrder {
    using is_transparent = void;
    bool operator()(const std::shared_ptr<const CLocation>& a, const std::shared_ptr<const CLocation>& b) const {
        return a->Href() < b->Href();
    }
    bool operator()(const std::shared_ptr<const CLocation>& a, std::wstring_view href) const {
        return a->Href() < href;
    }
    bool operator()(std::wstring_view href, const std::shared_ptr<const CLocation>& b) const {
        return href < b->Href();
    }
};

using CollectedLocations = std::set<std::shared_ptr<const CLocation>, HrefOrder>;

}  // namespace pelmora
