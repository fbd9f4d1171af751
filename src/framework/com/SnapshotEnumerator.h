#pragma once
// An IEnumXxx over a copy of a collection taken when the enumerator is made, so the
// collection may change while a caller walks it. Items hold references: Policy copies
// one out with a new reference (Copy) and gives one back (Release).
#include <objbase.h>
#include <ocidl.h>

#include <algorithm>
#include <vector>

#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/com/ExceptionBarrier.h"

namespace pelmora::com {

template <class EnumInterface, class Item, class Policy>
class SnapshotEnumerator final : public ComBase<EnumInterface> {
public:
    // The enumerator takes a reference of its own to every item.
    static HRESULT Create(const Item* items, size_t count, EnumInterface** out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ExceptionBarrier([&] {
            ComPtr<SnapshotEnumerator> made(new SnapshotEnumerator);
            made->items_.reserve(count);  // no throw once references are taken
            for (size_t i = 0; i < count; ++i) {
                made->items_.emplace_back();
                Policy::Copy(made->items_.back(), items[i]);
            }
            *out = made.Detach();
            return S_OK;
        });
    }

    // The enumerator contract: fetched may be null only when one item is wanted.
    STDMETHODIMP Next(ULONG wanted, Item* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out || (!fetched && wanted != 1)) return E_POINTER;
        const size_t given = std::min<size_t>(wanted, items_.size() - cursor_);
        for (size_t i = 0; i < given; ++i) Policy::Copy(out[i], items_[cursor_ + i]);
        cursor_ += given;
        if (fetched) *fetched = static_cast<ULONG>(given);
        return given == wanted ? S_OK : S_FALSE;
    }

    STDMETHODIMP Skip(ULONG count) override {
        const size_t skipped = std::min<size_t>(count, items_.size() - cursor_);
        cursor_ += skipped;
        return skipped == count ? S_OK : S_FALSE;
    }

    STDMETHODIMP Reset() override {
        cursor_ = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(EnumInterface** out) override {
        const HRESULT hr = Create(items_.data(), items_.size(), out);
        if (SUCCEEDED(hr)) static_cast<SnapshotEnumerator*>(*out)->cursor_ = cursor_;
        return hr;
    }

private:
    SnapshotEnumerator() = default;
    ~SnapshotEnumerator() override {
        for (Item& item : items_) Policy::Release(item);
    }

    std::vector<Item> items_;
    size_t cursor_ = 0;
};

// Items that are interface pointers.
template <class Interface>
struct InterfaceItem {
    static void Copy(Interface*& to, Interface* const& from) noexcept {
        to = from;
        if (to) to->AddRef();
    }
    static void Release(Interface*& item) noexcept {
        if (item) item->Release();
    }
};

// A connection: the sink and its cookie.
struct ConnectDataItem {
    static void Copy(CONNECTDATA& to, const CONNECTDATA& from) noexcept {
        to = from;
        if (to.pUnk) to.pUnk->AddRef();
    }
    static void Release(CONNECTDATA& item) noexcept {
        if (item.pUnk) item.pUnk->Release();
    }
};

using ConnectionsEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectDataItem>;
using ConnectionPointsEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, InterfaceItem<IConnectionPoint>>;

}  // namespace pelmora::com
