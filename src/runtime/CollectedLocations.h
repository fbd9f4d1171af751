#pragma once
// The locations of completed documents, one per distinct href, ordered by href
// (ordinal UTF-16 comparison, case-sensitive, a prefix before what it begins).
// Locations are shared between the set and the snapshots handed out.
#include <cstddef>
#include <list>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

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

// The collected locations of one running main script: the most recently completed
// distinct pages up to a limit, so that a browser left open for days does not grow
// them without end.
class LocationHistory {
public:
    static constexpr size_t kLimit = 1000;

    explicit LocationHistory(size_t limit = kLimit) noexcept : limit_(limit) {}

    // The location kept for href, which becomes the most recent; none when none is kept.
    std::shared_ptr<const CLocation> Find(std::wstring_view href);
    // Keeps location (of an href not kept yet) as the most recent and lets go of the
    // least recent one beyond the limit.
    void Add(std::shared_ptr<const CLocation> location);

    [[nodiscard]] size_t size() const noexcept { return byHref_.size(); }
    [[nodiscard]] const CollectedLocations& ByHref() const noexcept { return byHref_; }

private:
    using Recency = std::list<std::shared_ptr<const CLocation>>;  // most recent first

    size_t limit_;
    CollectedLocations byHref_;
    Recency recent_;
    std::unordered_map<const CLocation*, Recency::iterator> positions_;
};

}  // namespace pelmora
