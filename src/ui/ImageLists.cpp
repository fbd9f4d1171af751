#include "ui/ImageLists.h"

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

}  // namespace pelmora
