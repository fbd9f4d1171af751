#pragma once
// The image lists of a tree or list control, one per kind, each remembering which
// icon resource went to which image index, so callers talk in resource ids.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "framework/ui/UniqueImageList.h"

namespace pelmora {

enum ImageListKind : int {
    IMAGE_LIST_NORMAL = 0,
    IMAGE_LIST_STATE = 1,
};

class CImageLists {
public:
    // One image list and the index each icon resource got in it. A control given the
    // list does not own it: keep the entry while the control shows it.
    struct Entry {
        ui::UniqueImageList list;
        std::map<int, int> indexByResource;
        [[nodiscard]] HIMAGELIST Get() const noexcept { return list.get(); }
    };
    using SharedEntry = std::shared_ptr<Entry>;

    CImageLists();
    virtual ~CImageLists();
    CImageLists(const CImageLists&) = delete;
    CImageLists& operator=(const CImageLists&) = delete;

    // Appends the icon with that resource id of this module to the kind's list (made
    // on first use: 16 x 16, 16-bit colour with mask) and records its index. False,
    // with nothing recorded, when the list, the icon or the append fails.
    bool AddIcon(int kind, int resourceId);
    // The index the icon got; -1 when the kind or the icon was never added.
    [[nodiscard]] int IndexOf(int kind, int resourceId) const;
    // The lowest resource id recorded with that index; -1 when there is none.
    [[nodiscard]] int ResourceOf(int kind, int index) const;
    // The kind's entry; an entry without a list when the kind has none.
    [[nodiscard]] SharedEntry GetList(int kind) const;

    // Every kind's images and indexes as bytes, from which an equal set is made again
    // without loading and scaling the icons; false when a list cannot be written.
    struct SavedList {
        std::vector<BYTE> bytes;
        std::map<int, int> indexByResource;
    };
    using Saved = std::map<int, SavedList>;
    bool Save(Saved& saved) const;
    // A set equal to the one saved; null when a list cannot be read back.
    [[nodiscard]] static std::shared_ptr<CImageLists> FromSaved(const Saved& saved);

private:
    [[nodiscard]] const Entry* Find(int kind) const;

    std::map<int, SharedEntry> entries_;
};

}  // namespace pelmora
