#include "runtime/EventInterfaces.h"

#include <exdisp.h>
#include <mshtml.h>

#include <new>
#include <string>
#include <vector>

#include "framework/com/GuidText.h"
#include "framework/win/CriticalSection.h"

namespace pelmora {

namespace {

// An event interface with its ids spelled out once, from the platform's ids; the
// entry points into its own texts, so it stays where it was made.
class DescribedEvents {
public:
    DescribedEvents(const GUID& typeLibraryId, USHORT typeLibraryMajorVersion, const IID& eventIid,
                    const wchar_t* propertyName) noexcept
        : typeLibraryText_(com::BracedGuidText(typeLibraryId)),
          eventIidText_(com::BracedGuidText(eventIid)),
          events_{typeLibraryText_.text, typeLibraryMajorVersion, eventIidText_.text, eventIid, propertyName} {}
    DescribedEvents(const DescribedEvents&) = delete;
    DescribedEvents& operator=(const DescribedEvents&) = delete;

    [[nodiscard]] const EventInterface& Events() const noexcept { return events_; }

private:
    const com::GuidText typeLibraryText_;
    const com::GuidText eventIidText_;
    const EventInterface events_;
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

const EventInterface& BrowserEvents() noexcept {
    static const DescribedEvents browser(LIBID_SHDocVw, 1, DIID_DWebBrowserEvents2, L"browser");
    return browser.Events();
}

const EventInterface& WindowEvents() noexcept {
    static const DescribedEvents window(LIBID_MSHTML, 4, DIID_HTMLWindowEvents, L"window");
    return window.Events();
}

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
