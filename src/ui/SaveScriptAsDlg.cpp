#include "ui/SaveScriptAsDlg.h"

#include <shlguid.h>

#include <vector>

#include "core/Logger.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Button.h"
#include "framework/win/FolderWatch.h"
#include "framework/win/UniqueHandle.h"
#include "ui/ScriptFileName.h"
#include "ui/SharedPropertyBag.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "SaveScriptAsDlg";
constexpr wchar_t kTopFolderText[] = L"Browser main scripts";

// Whether path is folder itself or lies below it.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == L'\\');
}

}  // namespace

CSaveScriptAsDlg::CSaveScriptAsDlg(HWND parent)
    : ui::Dialog(ui::CurrentModuleInstance(), kTemplateId), parent_(parent) {
    // The order gives the images the indexes that tell the entries' kinds.
    for (const int icon : {IDI_SCRIPT, IDI_FOLDER_CLOSED, IDI_FOLDER_UP}) (void)imageLists_.AddIcon(IMAGE_LIST_NORMAL, icon);
}

CSaveScriptAsDlg::~CSaveScriptAsDlg() = default;

void CSaveScriptAsDlg::SetFolders(const std::wstring& top, const std::wstring& start) {
    topFolder_ = top;
    // The chain and ".." only ever walk below the top folder.
    currentFolder_ = IsInsideFolder(start, top) ? start : top;
}

INT_PTR CSaveScriptAsDlg::DoModal() noexcept { return ui::Dialog::DoModal(parent_); }

bool CSaveScriptAsDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = FALSE;  // the focus is set
        return true;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != FALSE);
        return false;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_NOTIFY:
        return lParam && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam, result);
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam), HIWORD(wParam))) return false;
        result = 0;
        return true;
    case WM_RELOAD_FOLDER:
        LoadFolderView();
        result = 0;
        return true;
    case WM_EDIT_NEW_FOLDER:
        OnEditNewFolder();
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CSaveScriptAsDlg::OnNotify(const NMHDR& header, LPARAM lParam, LRESULT& result) {
    if (header.idFrom != static_cast<UINT_PTR>(IDC_LIST_FOLDER_ENTRIES)) return false;
    switch (header.code) {
    case NM_DBLCLK:
        OnListDblClk(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
        result = 0;
        return true;
    case NM_CLICK:
        OnListClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
        result = 0;
        return true;
    case LVN_BEGINLABELEDITW:
        // ".." names the folder above: renaming it would move a folder out of its place.
        result = list_.GetItemImage(reinterpret_cast<const NMLVDISPINFOW*>(lParam)->item.iItem) == kParentImage;
        return true;
    case LVN_ENDLABELEDITW:
        result = OnEditItemName(*reinterpret_cast<const NMLVDISPINFOW*>(lParam)) ? TRUE : FALSE;
        return true;
    default:
        return false;
    }
}

bool CSaveScriptAsDlg::OnCommand(int id, int code) {
    if (id == IDC_COMBO_SAVE_IN && code == CBN_SELCHANGE) {
        OnFolderSelChange();
    } else if (id == IDC_COMBO_FILE_NAME && code == CBN_EDITCHANGE) {
        OnFileNameChange();
    } else if (id == IDC_BUTTON_NEW_FOLDER && code == BN_CLICKED) {
        OnNew();
    } else if (id == IDOK && code == BN_CLICKED) {
        OnOK();
    } else {
        return false;
    }
    return true;
}

void CSaveScriptAsDlg::OnInitDialog() {
    list_ = ui::ListView(Handle(), IDC_LIST_FOLDER_ENTRIES);
    saveInBox_ = ui::ComboBoxEx(Handle(), IDC_COMBO_SAVE_IN);
    fileNameBox_ = ui::ComboBoxEx(Handle(), IDC_COMBO_FILE_NAME);
    // The user came to type a name.
    if (const HWND edit = fileNameBox_.GetEditControl()) ::SetFocus(edit);
}

void CSaveScriptAsDlg::OnShowWindow(bool shown) {
    const HIMAGELIST images = imageLists_.GetList(IMAGE_LIST_NORMAL)->Get();
    list_.SetImageList(images, LVSIL_SMALL);
    saveInBox_.SetImageList(images);
    if (!shown) return;
    ReadFileName();
    EnableSave();
    const auto startAutoComplete = [this] {
        constexpr char kFunction[] = "CSaveScriptAsDlg::OnShowWindow";
        HRESULT hr = ::CoCreateInstance(CLSID_AutoComplete, nullptr, CLSCTX_ALL, IID_IAutoComplete,
                                        autoComplete_.put_void());
        if (FAILED(hr) || !autoComplete_) {
            autoComplete_.reset();
            PELMORA_LOG(LOG_ERROR, "Can not create AutoComplete COM object.", FAILED(hr) ? hr : E_NOINTERFACE,
                        kFunction);
            return;
        }
        (void)autoComplete_->Enable(TRUE);
        com::ComPtr<IAutoComplete2> options;
        if (FAILED(autoComplete_.As(options)) || !options) {
            PELMORA_LOG(LOG_ERROR, "No IAutoComplete2 interface.", E_FAIL, kFunction);
        } else {
            DWORD flags = 0;
            hr = options->GetOptions(&flags);
            if (FAILED(hr)) PELMORA_LOG(LOG_ERROR, "IAutoComplete2::GetOptions failed.", hr, kFunction);
            hr = options->SetOptions(flags | ACO_AUTOSUGGEST | ACO_USETAB);
            if (FAILED(hr)) PELMORA_LOG(LOG_ERROR, "IAutoComplete2::SetOptions failed.", hr, kFunction);
        }
        const com::ComPtr<CPropBag> names = GetSharedPropertyBagSlot();
        hr = names ? autoComplete_->Init(fileNameBox_.GetEditControl(), static_cast<IEnumString*>(names.get()),
                                         nullptr, L"%s.WSC")
                   : E_OUTOFMEMORY;
        if (FAILED(hr)) PELMORA_LOG(LOG_ERROR, "IAutoComplete2::Init failed.", hr, kFunction);
    };
    // Shown once per run; a second show must not attach a second completion.
    if (!autoComplete_) startAutoComplete();
    LoadFolderView();
}

void CSaveScriptAsDlg::OnDestroy() noexcept {
    // The list would destroy the image list it holds, which the dialog owns.
    if (list_) list_.SetImageList(nullptr, LVSIL_SMALL);
}

void CSaveScriptAsDlg::LoadFolderChain() {
    saveInBox_.ResetContent();
    std::vector<std::wstring> segments;  // innermost first
    std::wstring rest = currentFolder_;
    while (rest != topFolder_) {
        const size_t slash = rest.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        segments.push_back(rest.substr(slash + 1));
        rest.erase(slash);
    }
    (void)saveInBox_.InsertItem(-1, kTopFolderText, kFolderImage, kFolderImage, 0);
    int indent = 1;
    for (auto segment = segments.rbegin(); segment != segments.rend(); ++segment, ++indent) {
        (void)saveInBox_.InsertItem(-1, *segment, kFolderImage, kFolderImage, indent);
    }
    (void)saveInBox_.SetCurSel(saveInBox_.GetCount() - 1);
}

void CSaveScriptAsDlg::LoadFolderView() {
    LoadFolderChain();
    list_.DeleteAllItems();
    WIN32_FIND_DATAW found{};
    const std::wstring search = currentFolder_ + L"\\*";
    win::UniqueFindHandle find(::FindFirstFileW(search.c_str(), &found));
    if (!find) return;
    do {
        AddListEntry(found);
    } while (::FindNextFileW(find.get(), &found));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) {
        PELMORA_LOG(LOG_ERROR, "FindNextFile failed.", HRESULT_FROM_WIN32(error), "CSaveScriptAsDlg::LoadFolderView");
    }
}

void CSaveScriptAsDlg::AddListEntry(const WIN32_FIND_DATAW& found) {
    const std::wstring name = found.cFileName;
    if (name != L".." && !win::IsNameReachable(found.cFileName)) return;  // also "."
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!IsListedScriptFile(name)) return;
        (void)list_.AppendItem(name, kScriptImage);
        OfferForCompletion(name);
    } else if (name == L"..") {
        if (currentFolder_ != topFolder_) (void)list_.AppendItem(name, kParentImage);
    } else if (win::IsEnterableFolder(found)) {
        // A link to a folder is not offered: it may lead back up the tree.
        (void)list_.AppendItem(name, kFolderImage);
    }
}

std::wstring CSaveScriptAsDlg::GetChainPath(int index) const {
    std::wstring path;
    for (int entry = 1; entry <= index; ++entry) path += L"\\" + saveInBox_.GetItemText(entry);
    return path;
}

std::wstring CSaveScriptAsDlg::SelectedChainFolder() const {
    const int selected = saveInBox_.GetCurSel();
    return selected < 0 ? currentFolder_ : topFolder_ + GetChainPath(selected);
}

void CSaveScriptAsDlg::OfferForCompletion(const std::wstring& name) const {
    const com::ComPtr<CPropBag> names = GetSharedPropertyBagSlot();
    if (names && !names->Contains(name)) (void)names->AddString(name.c_str());
}

void CSaveScriptAsDlg::OnFolderSelChange() {
    currentFolder_ = SelectedChainFolder();
    LoadFolderView();
}

void CSaveScriptAsDlg::OnListDblClk(int index) {
    if (index < 0) return;
    const int image = list_.GetItemImage(index);
    if (image == kFolderImage) {
        currentFolder_ += L"\\" + list_.GetItemText(index);
    } else if (image == kParentImage) {
        std::wstring parent = currentFolder_;
        while (!parent.empty() && (parent.back() == L'\\' || parent.back() == L'.')) parent.pop_back();
        const size_t slash = parent.rfind(L'\\');
        if (slash == std::wstring::npos) return;
        currentFolder_ = parent.substr(0, slash);
    } else {
        return;
    }
    LoadFolderView();
}

void CSaveScriptAsDlg::OnListClick(int index) {
    if (index < 0 || list_.GetItemImage(index) != kScriptImage) return;
    fileName_ = list_.GetItemText(index);
    ShowFileName();
    OfferForCompletion(fileName_);
    EnableSave();
}

void CSaveScriptAsDlg::OnFileNameChange() {
    ReadFileName();
    EnableSave();
}

void CSaveScriptAsDlg::ReadFileName() {
    const HWND edit = fileNameBox_ ? fileNameBox_.GetEditControl() : nullptr;
    fileName_ = edit ? ui::Control(edit).GetText() : std::wstring();
}

void CSaveScriptAsDlg::ShowFileName() {
    if (const HWND edit = fileNameBox_ ? fileNameBox_.GetEditControl() : nullptr) ui::Control(edit).SetText(fileName_);
}

void CSaveScriptAsDlg::EnableSave() { ui::Button(Handle(), IDOK).Enable(!fileName_.empty()); }

}  // namespace pelmora
