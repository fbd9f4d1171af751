#include "runtime/CollectedLocations.h"

#include <utility>

namespace pelmora {

std::shared_ptr<const CLocation> LocationHistory::Find(std::wstring_view href) {
    const auto kept = byHref_.find(href);
    if (kept == byHref_.end()) return {};
    const auto position = positions_.find(kept->get());
    if (position != positions_.end()) recent_.splice(recent_.begin(), recent_, position->second);
    return *kept;
}

void LocationHistory::Add(std::shared_ptr<const CLocation> location) {
    if (!location) return;
    const auto [kept, added] = byHref_.insert(location);
    if (!added) return;
    try {
        recent_.push_front(location);
        positions_.emplace(location.get(), recent_.begin());
    } catch (...) {
        // Out of memory: the location is not kept at all.
        if (!recent_.empty() && recent_.front() == location) recent_.pop_front();
        byHref_.erase(kept);
        throw;
    }
    while (byHref_.size() > limit_ && !recent_.empty()) {
        const std::shared_ptr<const CLocation> oldest = std::move(recent_.back());
        recent_.pop_back();
        positions_.erase(oldest.get());
        byHref_.erase(oldest);
    }
}

}  // namespace pelmora
