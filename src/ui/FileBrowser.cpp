// Construction, filling the tree from a script folder, and saving its state.
#include "ui/FileBrowser.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

#include "core/Logger.h"
#include "framework/win/Ansi.h"
#include "framework/win/FolderWatch.h"
#include "framework/win/HResult.h"
#include "framework/win/UniqueHandle.h"
#include "resources/resource.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "FileBrowser";
// The state word bits a saved value may bring back besides the mark (expanded and the
// like); the mark itself is under TVIS_STATEIMAGEMASK.
constexpr UINT kRestoredStateBits = 0xFF;
// Everything the control reports about an item: mark, overlay and the state bits.
constexpr UINT kWholeStateWord = 0xFFFF;

// A name longer than four characters ending in ".wsc", the letters in either case.
bool IsScriptFileName(const std::wstring& name) {
    if (name.size() <= 4) return false;
    const std::wstring suffix = name.substr(name.size() - 4);
    return suffix[0] == L'.' && (suffix[1] == L'w' || suffix[1] == L'W') &&
           (suffix[2] == L's' || suffix[2] == L'S') && (suffix[3] == L'c' || suffix[3] == L'C');
}

bool IsDotEntry(const std::wstring& name) { return name == L"." || name == L".."; }

// Loads and scales the trees' icons; null when one of them could not be added.
std::shared_ptr<const CImageLists> MakeTreeImageLists(bool keepIncomplete) {
    auto lists = std::make_shared<CImageLists>();
    bool complete = true;
    for (int icon : {IDI_SCRIPT, IDI_WINDOW, IDI_FOLDER_CLOSED, IDI_GLOBE}) {
        complete = lists->AddIcon(IMAGE_LIST_NORMAL, icon) && complete;
    }
    // The order makes a check box's advance by one step a meaningful change of mark.
    for (int icon : {IDI_BLANK, IDI_CHECK_FOLDER_CLEAR, IDI_CHECK_FOLDER_MARKED, IDI_CHECK_UNCHECKED,
                     IDI_CHECK_CHECKED}) {
        complete = lists->AddIcon(IMAGE_LIST_STATE, icon) && complete;
    }
    if (!complete && !keepIncomplete) return nullptr;
    return lists;
}

// The images of the trees as drawn the first time, kept as bytes: loading and scaling
// the nine icons costs more than filling a small tree, reading a set back from its
// bytes a tenth of that. Plain memory, for any thread; only the lists are per thread.
std::shared_ptr<const CImageLists> ImageListsAsDrawn() {
    static std::mutex lock;
    static CImageLists::Saved drawn;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!drawn.empty()) {
            if (auto read = CImageLists::FromSaved(drawn)) return read;
        }
    }
    auto made = MakeTreeImageLists(false);
    if (!made) return MakeTreeImageLists(true);
    CImageLists::Saved saved;
    if (made->Save(saved)) {
        std::lock_guard<std::mutex> hold(lock);
        drawn = std::move(saved);
    }
    return made;
}

// Every tree shows the same images: the models of one thread share one set while any
// of them lives. Each thread (each browser window) draws from its own set, since an
// image list draws through a device context of its own, which is not for two threads
// at once; a set goes with the last model of its thread, never with the module. Should
// making them fail, each model makes its own, as far as it gets.
std::shared_ptr<const CImageLists> TreeImageLists() {
    static std::mutex lock;
    static std::map<DWORD, std::weak_ptr<const CImageLists>> byThread;
    const DWORD thread = ::GetCurrentThreadId();
    {
        std::lock_guard<std::mutex> hold(lock);
        const auto found = byThread.find(thread);
        if (found != byThread.end()) {
            if (auto kept = found->second.lock()) return kept;
        }
    }
    auto made = ImageListsAsDrawn();
    std::lock_guard<std::mutex> hold(lock);
    // Threads that have gone leave nothing behind but their expired entries.
    for (auto entry = byThread.begin(); entry != byThread.end();) {
        entry = entry->second.expired() ? byThread.erase(entry) : std::next(entry);
    }
    byThread[thread] = made;
    return made;
}

}  // namespace

CFileBrowser::CFileBrowser(const std::wstring& stateValueName)
    : imageLists_(TreeImageLists()), stateStore_(stateValueName) {}

CFileBrowser::~CFileBrowser() = default;

HRESULT CFileBrowser::Load(HWND tree, const std::wstring& directory) {
    // Without a tree there is nothing to fill, and an empty directory would search the
    // root of the current drive.
    if (!tree) return E_INVALIDARG;
    tree_ = ui::TreeView(tree);
    directory_ = directory;
    filled_ = false;
    listing_.clear();
    listingWhole_ = true;
    HoldMarks(directory);
    ApplyImageLists();

    HRESULT result = S_OK;
    {
        const ui::ScopedRedrawOff quiet(tree);
        result = EnumDirectory(nullptr, directory, L"*", std::wstring());
        // Saved folder marks go stale when scripts are removed outside the program.
        if (result == S_OK || result == S_FALSE) RecomputeFolderMarks();
    }
    if (result != S_OK && result != S_FALSE) {
        const std::string message = "EnumDirectory( " + win::WideToAnsi(directory) + " ).";
        PELMORA_LOG(LOG_ERROR, message, result, "CFileBrowser::Load");
        return result;
    }
    filled_ = true;
    std::sort(listing_.begin(), listing_.end());
    if (result == S_FALSE) {
        const std::string message = "Directory (" + win::WideToAnsi(directory) + ") empty.";
        PELMORA_LOG(LOG_WARNING, message, 1, "CFileBrowser::Load");
    }
    return result;
}

HRESULT CFileBrowser::Reload() {
    const HWND tree = tree_.Handle();
    const std::wstring directory = directory_;
    ClearTree();
    return Load(tree, directory);
}

void CFileBrowser::ClearTree() {
    CaptureState();
    static std::atomic<unsigned> lastFillTag{0};
    fillTag_ = static_cast<WORD>(++lastFillTag);
    if (tree_) tree_.DeleteAllItems();
    // The caller may still hold the list: release it rather than empty it.
    urlPaths_.reset();
    markedItems_.clear();
    recordedMarks_.clear();
    filled_ = false;
}

void CFileBrowser::Clear() {
    filled_ = false;  // nothing shown is worth keeping
    ClearTree();
    stateStore_.Clear();
    marksHeld_ = false;
}

void CFileBrowser::HoldMarks(const std::wstring& directory) {
    directory_ = directory;
    if (marksHeld_) return;
    stateStore_.Load();
    marksHeld_ = true;
}

void CFileBrowser::CaptureState() {
    if (!tree_ || !filled_) return;
    std::vector<std::pair<std::wstring, uint32_t>> kept;
    std::set<std::wstring> shown;
    ForEachItem(tree_.GetRootItem(), [this, &shown](HTREEITEM item) {
        std::wstring key = GetItemKey(item);
        if (!key.empty() && key.back() == L'\\') key.pop_back();
        shown.insert(std::move(key));
        return false;
    });
    ForEachStoredItem([&](const std::wstring& key, CStateItem& item) {
        if (static_cast<int>(item.Value() >> 12) == MarkIndex(IDI_CHECK_CHECKED) && shown.count(key) == 0) {
            kept.emplace_back(key, item.Value());
        }
    });
    stateStore_.Clear();
    ForEachItem(tree_.GetRootItem(), [this](HTREEITEM item) {
        const UINT state = tree_.GetItemState(item, kWholeStateWord) & ~static_cast<UINT>(TVIS_SELECTED);
        stateStore_.SetValue(GetItemKey(item), state);
        return false;
    });
    for (const auto& [key, value] : kept) stateStore_.SetValue(key, value);
}

void CFileBrowser::SaveState() {
    CaptureState();
    if (!marksHeld_ || stateStore_.ValueName().empty()) return;
    if (!stateStore_.Save()) {
        const std::string message = "Can not save the marks of " + win::WideToAnsi(stateStore_.ValueName()) + ".";
        PELMORA_LOG(LOG_ERROR, message, 1, "CFileBrowser::SaveState");
    }
}

void CFileBrowser::ApplyImageLists() {
    tree_.SetImageList(imageLists_->GetList(IMAGE_LIST_NORMAL)->Get(), TVSIL_NORMAL);
    tree_.SetImageList(imageLists_->GetList(IMAGE_LIST_STATE)->Get(), TVSIL_STATE);
}

HRESULT CFileBrowser::EnumDirectory(HTREEITEM parent, const std::wstring& directory, const std::wstring& pattern,
                                    const std::wstring& folderKey) {
    const std::wstring search = directory + L"\\" + pattern;
    WIN32_FIND_DATAW entry{};
    win::UniqueFindHandle find(::FindFirstFileW(search.c_str(), &entry));
    if (!find) return win::HResultFromLastError();

    // The folder watch's listing is taken from this walk; it stops where that one does.
    const size_t depth = static_cast<size_t>(std::count(folderKey.begin(), folderKey.end(), L'\\'));
    if (depth > win::kListedFolderDepth) listingWhole_ = false;
    bool added = false;
    HRESULT status = S_OK;
    do {
        if (AddFoundEntry(parent, directory, folderKey, entry)) added = true;
    } while (::FindNextFileW(find.get(), &entry));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) status = win::HResultFromWin32(static_cast<LONG>(error));
    if (FAILED(status)) return status;
    return added ? S_OK : S_FALSE;
}

bool CFileBrowser::AddFoundEntry(HTREEITEM parent, const std::wstring& directory, const std::wstring& folderKey,
                                 const WIN32_FIND_DATAW& entry) {
    const std::wstring name = entry.cFileName;
    if (IsDotEntry(name)) return false;
    const bool folderEntry = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A link to a folder is not followed: it may lead back up the tree, or far away.
    if (folderEntry && !win::IsEnterableFolder(entry)) return false;
    if (!win::IsNameReachable(entry.cFileName)) return false;
    if (listingWhole_) listing_.push_back(folderKey + L"\\" + name + (folderEntry ? L"\\" : L""));
    if (folderEntry) {
        const HTREEITEM item = InsertItem(parent, IDI_FOLDER_CLOSED, IDI_CHECK_FOLDER_CLEAR, name);
        if (!item) {
            listingWhole_ = false;  // the folder's entries go unlisted
            return false;
        }
        const std::wstring folder = folderKey + L"\\" + name;
        RestoreItemState(item, folder + L"\\");
        // Failures below a sub-folder only leave it showing what could be listed.
        return EnumDirectory(item, directory + L"\\" + name, L"*", folder) == S_OK;
    }
    if (!IsScriptFileName(name)) return false;
    const HTREEITEM item = InsertItem(parent, IDI_SCRIPT, IDI_CHECK_UNCHECKED, name);
    if (!item) return false;
    RestoreItemState(item, folderKey + L"\\" + name);
    return true;
}

HTREEITEM CFileBrowser::InsertItem(HTREEITEM parent, int imageIcon, int markIcon, const std::wstring& text) {
    const int mark = MarkIndex(markIcon);
    const HTREEITEM item = tree_.AppendItem(parent, text, imageLists_->IndexOf(IMAGE_LIST_NORMAL, imageIcon),
                                            ui::StateImageBits(mark), TVIS_STATEIMAGEMASK);
    if (!item) return nullptr;
    if (IsMarkedIndex(mark)) {
        markedItems_.insert(item);
    } else {
        markedItems_.erase(item);
    }
    RecordMark(item, mark);
    return item;
}

void CFileBrowser::RestoreItemState(HTREEITEM item, const std::wstring& key) {
    UINT value = stateStore_.GetValue(key);
    if (value == 0) return;
    // A damaged value must not take the check box away for good (index 0) or point past
    // the marks: such an item keeps the mark it was inserted with.
    const int savedMark = static_cast<int>(value >> 12);
    const int lastMark = ::ImageList_GetImageCount(imageLists_->GetList(IMAGE_LIST_STATE)->Get()) - 1;
    if (savedMark < 1 || savedMark > lastMark) {
        value = (value & kRestoredStateBits) | tree_.GetItemState(item, TVIS_STATEIMAGEMASK);
    }
    SetItemState(item, value, TVIS_STATEIMAGEMASK | (value & kRestoredStateBits), key);
}

}  // namespace pelmora
