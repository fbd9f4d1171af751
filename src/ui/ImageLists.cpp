#include "ui/ImageLists.h"

#include <objbase.h>

#include <cstring>

#include "framework/com/ComPtr.h"
#include "framework/ui/ApplicationBase.h"

namespace pelmora {

namespace {
constexpr int kImageSize = 16;
constexpr int kInitialImages = 2;
constexpr int kGrowBy = 2;
}  // namespace

CImageLists::CImageLists() = default;

CImageLists::~CImageLists() = default;

bool CImageLists::AddIcon(int kind, int resourceId) {
    SharedEntry& slot = entries_[kind];
    if (!slot || !slot->list) {
        auto entry = std::make_shared<Entry>();
        entry->list.reset(
            ::ImageList_Create(kImageSize, kImageSize, ILC_COLOR16 | ILC_MASK, kInitialImages, kGrowBy));
        if (!entry->list) {
            if (!slot) entries_.erase(kind);
            return false;
        }
        slot = std::move(entry);
    }
    // Icons loaded by LoadIcon are shared by the system: nothing to free.
    const HICON icon = ::LoadIconW(ui::CurrentModuleInstance(), MAKEINTRESOURCEW(resourceId));
    if (!icon) return false;
    const int index = ::ImageList_ReplaceIcon(slot->Get(), -1, icon);
    if (index == -1) return false;
    slot->indexByResource[resourceId] = index;
    return true;
}

int CImageLists::IndexOf(int kind, int resourceId) const {
    const Entry* entry = Find(kind);
    if (!entry) return -1;
    const auto found = entry->indexByResource.find(resourceId);
    return found == entry->indexByResource.end() ? -1 : found->second;
}

int CImageLists::ResourceOf(int kind, int index) const {
    const Entry* entry = Find(kind);
    if (!entry) return -1;
    for (const auto& [resourceId, recordedIndex] : entry->indexByResource) {
        if (recordedIndex == index) return resourceId;
    }
    return -1;
}

CImageLists::SharedEntry CImageLists::GetList(int kind) const {
    const auto found = entries_.find(kind);
    if (found == entries_.end() || !found->second) return std::make_shared<Entry>();
    return found->second;
}

const CImageLists::Entry* CImageLists::Find(int kind) const {
    const auto found = entries_.find(kind);
    return found == entries_.end() ? nullptr : found->second.get();
}

bool CImageLists::Save(Saved& saved) const {
    Saved made;
    for (const auto& [kind, entry] : entries_) {
        if (!entry || !entry->list) return false;
        com::ComPtr<IStream> stream;
        if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
            !::ImageList_Write(entry->Get(), stream.get())) {
            return false;
        }
        ULARGE_INTEGER size{};
        HGLOBAL memory = nullptr;
        if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &size)) ||
            FAILED(::GetHGlobalFromStream(stream.get(), &memory))) {
            return false;
        }
        const void* bytes = ::GlobalLock(memory);
        if (!bytes) return false;
        SavedList& list = made[kind];
        list.bytes.assign(static_cast<const BYTE*>(bytes), static_cast<const BYTE*>(bytes) + size.QuadPart);
        ::GlobalUnlock(memory);
        list.indexByResource = entry->indexByResource;
    }
    saved = std::move(made);
    return true;
}

std::shared_ptr<CImageLists> CImageLists::FromSaved(const Saved& saved) {
    auto lists = std::make_shared<CImageLists>();
    for (const auto& [kind, list] : saved) {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, list.bytes.size());
        if (!memory) return nullptr;
        void* bytes = ::GlobalLock(memory);
        if (bytes) {
            std::memcpy(bytes, list.bytes.data(), list.bytes.size());
            ::GlobalUnlock(memory);
        }
        com::ComPtr<IStream> stream;
        // The stream frees the memory with itself, once it has it.
        if (!bytes || FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
            ::GlobalFree(memory);
            return nullptr;
        }
        auto entry = std::make_shared<Entry>();
        entry->list.reset(::ImageList_Read(stream.get()));
        if (!entry->list) return nullptr;
        entry->indexByResource = list.indexByResource;
        lists->entries_[kind] = std::move(entry);
    }
    return lists;
}

}  // namespace pelmora
