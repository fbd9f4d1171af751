#include "ui/ScriptStore.h"

#include "core/Logger.h"
#include "core/SplitAtFirst.h"
#include "framework/ui/TreeView.h"
#include "framework/win/Ansi.h"

namespace pelmora {

namespace {
constexpr char kSourceFile[] = "ScriptStore";
}

CScriptStore::CScriptStore() : mainTree_(kMainTreeStateValueName) {}

CScriptStore::~CScriptStore() = default;

HRESULT CScriptStore::Load(HWND form, const std::wstring& mainDirectory) {
    form_ = form;
    const HRESULT result = mainTree_.Load(::GetDlgItem(form, kMainScriptTreeId), mainDirectory);
    const CFileBrowser::ItemSet checked = mainTree_.GetCheckedFiles();
    if (checked.empty()) return result;
    const HTREEITEM first = *checked.begin();
    const std::wstring key = mainTree_.GetItemKey(first);
    ui::TreeView(mainTree_.GetTree()).SelectItem(first);
    // The form answers the selection by filling the URL-script tree of that script;
    // filling it again would only repeat the listing of its folder.
    if (!IsShowingUrlTreeOf(key)) SelectMainScript(key);
    return result;
}

bool CScriptStore::IsShowingUrlTreeOf(const std::wstring& key) const {
    const auto found = urlTrees_.find(key);
    return found != urlTrees_.end() && currentUrlTree_ == found->second && currentUrlTree_->IsFilled() &&
           currentUrlTree_->GetTree() == ::GetDlgItem(form_, kUrlScriptTreeId);
}

void CScriptStore::SelectMainScript(const std::wstring& key) {
    const std::wstring urlDirectory = GetUrlScriptDirectory();
    auto found = urlTrees_.find(key);
    if (found == urlTrees_.end()) {
        auto model = std::make_shared<CFileBrowser>(key);
        CreateDir(urlDirectory, key);
        found = urlTrees_.emplace(key, std::move(model)).first;
    }
    currentUrlTree_ = found->second;
    // Bound before clearing, so that another model's items leave the shared tree too.
    currentUrlTree_->SetTree(::GetDlgItem(form_, kUrlScriptTreeId));
    currentUrlTree_->Clear();
    currentUrlTree_->Load(::GetDlgItem(form_, kUrlScriptTreeId), urlDirectory + key);
}

std::wstring CScriptStore::GetCheckedMainScriptKey() const {
    const CFileBrowser::ItemSet checked = mainTree_.GetCheckedFiles();
    return checked.empty() ? std::wstring() : mainTree_.GetItemKey(*checked.begin());
}

void CScriptStore::SaveState() {
    mainTree_.SaveState();
    if (currentUrlTree_) currentUrlTree_->SaveState();
}

void CScriptStore::Clear() {
    mainTree_.Clear();
    if (currentUrlTree_) currentUrlTree_->Clear();
    currentUrlTree_.reset();
}

void CScriptStore::ForgetCurrentUrlTree() {
    if (currentUrlTree_) currentUrlTree_->Clear();
    currentUrlTree_.reset();
}

bool CScriptStore::SetCheck(int treeId, HTREEITEM item, int markIndex, bool exclusive) {
    if (treeId == kMainScriptTreeId) return mainTree_.ChangeCheck(item, markIndex, exclusive);
    if (treeId == kUrlScriptTreeId && currentUrlTree_) return currentUrlTree_->ChangeCheck(item, markIndex, exclusive);
    return false;
}

bool CScriptStore::IsSelectedMainScriptChecked() const {
    const HWND tree = mainTree_.GetTree();
    return tree && mainTree_.IsItemChecked(ui::TreeView(tree).GetSelectedItem());
}

void CScriptStore::CreateDir(const std::wstring& base, const std::wstring& relativePath) {
    std::wstring folder = base;
    std::wstring rest = relativePath;
    for (;;) {
        auto [head, tail] = SplitAtFirst(rest, L'\\');
        // A leading backslash names no folder.
        if (head.empty() && !tail.empty()) std::tie(head, tail) = SplitAtFirst(tail, L'\\');
        if (head.empty()) return;
        folder += L"\\" + head;
        if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS) {
                const std::string message = "Can not create directory: " + win::WideToAnsi(folder);
                GetLogger().Log(LOG_ERROR, message.c_str(), static_cast<int>(error), "CScriptStore::CreateDir",
                                kSourceFile, __LINE__);
            }
        }
        if (tail.empty()) return;
        rest = std::move(tail);
    }
}

}  // namespace pelmora
