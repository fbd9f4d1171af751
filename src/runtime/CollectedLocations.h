#pragma once
// The locations of completed documents, one per distinct href, ordered by href
// (ordinal UTF-16 comparison, case-sensitive, a prefix before what it begins).
// Locations are shared between the set and the snapshots handed out.
#include <memory>
#include <set>

#include "runtime/Location.h"

namespace pelmora {

struct HrefOrder {
    bool operator()(const std::shared_ptr<const CLocation>& a, const std::shared_ptr<const CLocation>& b) const {
        return a->GetHref() < b->GetHref();
    }
};

using CollectedLocations = std::set<std::shared_ptr<const CLocation>, HrefOrder>;

}  // namespace pelmora
