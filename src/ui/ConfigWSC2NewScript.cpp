// The form's New command for browser main scripts: the Save Script As dialog names the
// file, the generator writes it, and the rebuilt tree shows it selected.
#include "ui/ConfigWSC2.h"

#include "core/Logger.h"
#include "framework/ui/TreeView.h"
#include "library/ScriptLocation.h"
#include "library/ScriptletCode.h"
#include "ui/SaveScriptAsDlg.h"

namespace pelmora {

namespace {
constexpr char kSourceFile[] = "ConfigWSC2";
}  // namespace

void CConfigWSC2::OnBnClickedButtonNewIeWsc() {
    // Never loaded or attached: it only knows the browser's event interface.
    com::ComPtr<CIEBrowserScriptlet> eventSource;
    try {
        eventSource = com::ComPtr<CIEBrowserScriptlet>(new CIEBrowserScriptlet(nullptr, L"", L""));
    } catch (...) {
        GetLogger().Log(LOG_ERROR, "Can not create browser scriptlet.", E_OUTOFMEMORY,
                        "CConfigWSC2::OnBnClickedButtonNewIeWsc", kSourceFile, __LINE__);
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
        (void)ui::TreeView(::GetDlgItem(Handle(), kMainScriptTreeId)).SelectItem(item);
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
