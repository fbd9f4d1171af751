#include "runtime/EventInterfaces.h"

#include <new>
#include <string>
#include <vector>

#include "framework/win/CriticalSection.h"

namespace pelmora {

namespace {

constexpr EventInterface kEventInterfaces[] = {
    {L"{EAB22AC0-30C1-11CF-A7EB-0000C05BAE0B}", 1, L"{34A715A0-6587-11D0-924A-0020AFC7AC4D}",
     {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}}, L"browser"},
    {L"{3050F1C5-98B5-11CF-BB82-00AA00BDCE0B}", 4, L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}",
     {0x96A0A4E0, 0xD062, 0x11CF, {0x94, 0xB6, 0x00, 0xAA, 0x00, 0x60, 0x27, 0x5C}}, L"window"},
};

// Kept by what was loaded, not by the entry's address, so that an entry made elsewhere
// with the same library and interface finds it too.
struct CachedTypeInfo {
    std::wstring typeLibraryId;
    USHORT typeLibraryMajorVersion;
    std::wstring eventInterfaceId;
    com::ComPtr<ITypeInfo> typeInfo;

    [[nodiscard]] bool Describes(const EventInterface& events) const noexcept {
        return typeLibraryMajorVersion == events.typeLibraryMajorVersion && typeLibraryId == events.typeLibraryId &&
               eventInterfaceId == events.eventInterfaceId;
    }
};

class TypeInfoCache {
public:
    com::ComPtr<ITypeInfo> Find(const EventInterface& events) noexcept {
        win::CriticalSectionLock hold(lock_);
        for (const CachedTypeInfo& entry : entries_)
            if (entry.Describes(events)) return entry.typeInfo;
        return {};
    }

    com::ComPtr<ITypeInfo> Keep(const EventInterface& events, com::ComPtr<ITypeInfo> typeInfo) noexcept {
        win::CriticalSectionLock hold(lock_);
        for (const CachedTypeInfo& entry : entries_)
            if (entry.Describes(events)) return entry.typeInfo;
        try {
            entries_.push_back(
                {events.typeLibraryId, events.typeLibraryMajorVersion, events.eventInterfaceId, typeInfo});
        } catch (const std::bad_alloc&) {
            // Not kept: the caller still has its own, the next one loads again.
        }
        return typeInfo;
    }

    void ReleaseAll() noexcept {
        std::vector<CachedTypeInfo> released;
        {
            win::CriticalSectionLock hold(lock_);
            released.swap(entries_);
        }
        // Released here, after the lock was left.
    }

    void AbandonAll() noexcept {
        for (CachedTypeInfo& entry : entries_) (void)entry.typeInfo.Detach();
    }

private:
    win::CriticalSection lock_;
    std::vector<CachedTypeInfo> entries_;
};

TypeInfoCache& Cache() noexcept {
    static TypeInfoCache cache;
    return cache;
}

}  // namespace

const EventInterface& BrowserEvents() noexcept { return kEventInterfaces[0]; }

const EventInterface& WindowEvents() noexcept { return kEventInterfaces[1]; }

com::ComPtr<ITypeInfo> FindCachedEventTypeInfo(const EventInterface& events) noexcept {
    return Cache().Find(events);
}

com::ComPtr<ITypeInfo> CacheEventTypeInfo(const EventInterface& events, com::ComPtr<ITypeInfo> typeInfo) noexcept {
    if (!typeInfo) return {};
    return Cache().Keep(events, std::move(typeInfo));
}

void ReleaseCachedEventTypeInfo() noexcept { Cache().ReleaseAll(); }

void AbandonCachedEventTypeInfo() noexcept { Cache().AbandonAll(); }

}  // namespace pelmora
