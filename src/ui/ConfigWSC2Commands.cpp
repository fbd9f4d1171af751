// The form's script commands behind New, Delete, New URL scripts and a double-click:
// new main scripts are named in the Save Script As dialog and written by the generator,
// other files go through the shell, which asks the user and shows its progress, and
// the trees are reloaded from disk afterwards, so they show what really happened.
#include "ui/ConfigWSC2.h"

#include <shellapi.h>

#include "core/Logger.h"
#include "core/ProductKey.h"
#include "framework/ui/MessageBoxes.h"
#include "framework/ui/TreeView.h"
#include "framework/win/Ansi.h"
#include "framework/win/FolderLinks.h"
#include "library/ScriptLocation.h"
#include "library/ScriptletCode.h"
#include "ui/CreateWScriptDlg.h"
#include "ui/SaveScriptAsDlg.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "ConfigWSC2";
constexpr wchar_t kDeleteScriptsCaption[] = L"Delete scripts";
constexpr wchar_t kDeleteFolderCaption[] = L"Delete folder";
constexpr wchar_t kDeleteScriptsText[] =
    L"All subscripts associated with the browser main script also will be deleted.\nDo you still want to delete \"";

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Deletes the marks of a deleted main script's URL tree; a value that was never saved
// is no failure.
LONG DeleteStateValue(const std::wstring& key) {
    win::UniqueHKey productKey;
    LONG status = OpenProductKey(productKey);
    if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(productKey.get(), key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

void CConfigWSC2::OnBnClickedButtonDelIeWsc() {
    CFileBrowser& mainTree = store_.GetMainTree();
    const std::shared_ptr<CFileBrowser> urlTree = store_.GetCurrentUrlTree();  // held through the modal runs
    const HTREEITEM selected = ui::TreeView(mainTree.GetTree()).GetSelectedItem();
    const bool hasUrlScripts = urlTree && ui::TreeView(urlTree->GetTree()).GetCount() != 0;
    if (!selected || !hasUrlScripts || !mainTree.IsScriptItem(selected)) {
        DeleteSelectedScript(mainTree);
        return;
    }
    // Not even asked about: a checked script is never deleted.
    if (mainTree.IsItemChecked(selected)) return;
    const std::wstring key = mainTree.GetItemKey(selected);
    const std::wstring question = kDeleteScriptsText + key + L"\" ?";
    if (ui::ShowMessageBox(Handle(), question, kDeleteScriptsCaption, MB_YESNO) != IDYES) return;

    // The script first: while it stays, so do the URL scripts the user kept for it.
    const std::wstring script = mainTree.GetItemDirectory(selected) + L"\\" + mainTree.GetItemFileName(selected);
    DeleteWithShell(script);
    if (!PathExists(script)) {
        const std::wstring folder = GetUrlScriptDirectory() + key;
        DeleteWithShell(folder);
        if (!PathExists(folder)) {
            // Forgotten before the value goes, so that no later save writes it back.
            store_.DropUrlTreeOf(key);
            const LONG status = DeleteStateValue(key);
            if (status != ERROR_SUCCESS) {
                PELMORA_LOG(LOG_ERROR, "Can not delete registry value: \"" + win::WideToAnsi(key) + "\".", status,
                            "CConfigWSC2::OnBnClickedButtonDelIeWsc");
            }
        }
    }
    mainTree.SaveState();
    (void)mainTree.Reload();
    OnMainTreeReloaded();
}

void CConfigWSC2::OnBnClickedButtonDelUrlWsc() {
    const std::shared_ptr<CFileBrowser> urlTree = store_.GetCurrentUrlTree();
    if (urlTree) DeleteSelectedScript(*urlTree);
}

void CConfigWSC2::DeleteSelectedScript(CFileBrowser& model) {
    const HTREEITEM selected = ui::TreeView(model.GetTree()).GetSelectedItem();
    if (!selected || model.IsItemChecked(selected)) return;
    const std::wstring directory = model.GetItemDirectory(selected);
    const std::wstring target =
        model.IsScriptItem(selected) ? directory + L"\\" + model.GetItemFileName(selected) : directory;
    DeleteWithShell(target);
    // Whatever the user answered: the tree shows what is on disk.
    model.SaveState();
    (void)model.Reload();
    if (&model == &store_.GetMainTree()) {
        OnMainTreeReloaded();
    } else {
        UpdateControls();
    }
}

void CConfigWSC2::DeleteWithShell(const std::wstring& path) {
    // The shell would walk into a folder's links (deleting what they point at, or
    // looping and hanging the browser), and past MAX_PATH it can go on in the current
    // folder. Such a folder is asked about and deleted here.
    if (win::HoldsLinksOrLongPaths(path)) {
        const std::wstring question = L"Delete the folder \"" + path + L"\" and all it holds? Links to other folders " +
                                      L"in it are removed, never followed; what they point to is kept.";
        if (ui::ShowMessageBox(Handle(), question, kDeleteFolderCaption, MB_YESNO | MB_ICONWARNING) == IDYES)
            (void)win::DeleteFolderKeepingLinkTargets(path);  // the callers look at the disk
        return;
    }
    std::wstring source = path;
    source.push_back(L'\0');  // a list of one name, ended by a second zero
    const std::wstring title = L"deleting " + path;
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = Handle();
    operation.wFunc = FO_DELETE;
    operation.pFrom = source.c_str();
    // The shell asks, shows its errors and its progress, and deletes for good.
    operation.fFlags = FOF_SIMPLEPROGRESS;
    operation.lpszProgressTitle = title.c_str();
    (void)::SHFileOperationW(&operation);  // the callers look at the disk instead
}

void CConfigWSC2::OnMainTreeReloaded() {
    // A reloaded tree selects nothing, so no main script's URL scripts are shown.
    if (!ui::TreeView(store_.GetMainTree().GetTree()).GetSelectedItem()) {
        if (const std::shared_ptr<CFileBrowser> urlTree = store_.GetCurrentUrlTree()) urlTree->SaveState();
        store_.ForgetCurrentUrlTree();
        ::SetDlgItemTextW(Handle(), IDC_STATIC_URL_WSC_OWNER, L"");
    }
    UpdateControls();
}

void CConfigWSC2::OnBnClickedButtonNewUrlWsc() {
    if (!runningScriptlet_) return;
    const std::shared_ptr<const CollectedLocations> snapshot = runningScriptlet_->GetCollectedLocations();
    CCreateWScriptDlg dialog(Handle());
    const CFileBrowser& mainTree = store_.GetMainTree();
    const CFileBrowser::ItemSet checked = mainTree.GetCheckedFiles();
    if (!checked.empty()) dialog.SetMainScript(mainTree.GetItemKey(*checked.begin()));
    dialog.SetUrls(snapshot);
    if (dialog.DoModal() != IDOK) return;
    if (const std::shared_ptr<CFileBrowser> urlTree = store_.GetCurrentUrlTree()) {
        urlTree->SaveState();  // the user's marks survive the reload
        (void)urlTree->Reload();
    }
    UpdateControls();
}

void CConfigWSC2::OnOpenItem(int treeId, WORD fillTag, HTREEITEM item) {
    const std::shared_ptr<CFileBrowser> urlTree = store_.GetCurrentUrlTree();  // held while the shell runs
    const CFileBrowser* model = ModelOfTree(treeId);
    if (!model || !model->ShowsItem(item, fillTag)) return;
    const CommandInProgress command(*this);
    model->OpenItem(item);
}

void CConfigWSC2::OnBnClickedButtonNewIeWsc() {
    // Never loaded or attached: it only knows the browser's event interface.
    com::ComPtr<CIEBrowserScriptlet> eventSource;
    try {
        eventSource = com::ComPtr<CIEBrowserScriptlet>(new CIEBrowserScriptlet(nullptr, L"", L""));
    } catch (...) {
        PELMORA_LOG(LOG_ERROR, "Can not create browser scriptlet.", E_OUTOFMEMORY,
                    "CConfigWSC2::OnBnClickedButtonNewIeWsc");
        return;
    }
    std::wstring path;
    if (!CreateMainScript(*eventSource.get(), store_.GetMainTree(), L"browser", path)) return;

    store_.SaveState();
    store_.Clear();
    const std::wstring mainDirectory = GetMainScriptDirectory();
    (void)store_.Load(Handle(), mainDirectory);
    const std::wstring relative = path.size() > mainDirectory.size() ? path.substr(mainDirectory.size() + 1) : L"";
    // The selection change shows the new script's URL scripts, of which it has none yet.
    if (const HTREEITEM item = store_.GetMainTree().FindItemByPath(nullptr, relative)) {
        (void)MainTree().SelectItem(item);
    }
}

bool CConfigWSC2::CreateMainScript(CScriptlet& scriptlet, CFileBrowser& model, const std::wstring& propertyName,
                                   std::wstring& path) {
    const HTREEITEM selected = model.GetTree() ? ui::TreeView(model.GetTree()).GetSelectedItem() : nullptr;
    CSaveScriptAsDlg dialog(Handle());
    dialog.SetFolders(GetMainScriptDirectory(), model.GetItemDirectory(selected));
    if (dialog.DoModal() != IDOK) return false;

    com::ComPtr<ITypeInfo> events = scriptlet.GetTypeInfo();
    if (!events) return false;  // the scriptlet has said why
    CScriptletCode code(events.get());
    events.reset();
    code.AddProperty(propertyName);
    path = dialog.GetFolder() + L"\\" + dialog.GetFileName();
    return code.Save(path) == S_OK;
}

}  // namespace pelmora
