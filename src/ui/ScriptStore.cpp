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
    const HRESULT result = mainTree_.Load(ui::Control(form, IDC_TREE_IE_WSC).Handle(), mainDirectory);
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

HRESULT CScriptStore::Refill(HWND form, const std::wstring& mainDirectory) {
    if (currentUrlTree_) currentUrlTree_->ClearTree();
    currentUrlTree_.reset();
    mainTree_.ClearTree();
    return Load(form, mainDirectory);
}

bool CScriptStore::IsShowingUrlTreeOf(const std::wstring& key) const {
    const auto found = urlTrees_.find(key);
    return found != urlTrees_.end() && currentUrlTree_ == found->second && currentUrlTree_->IsFilled() &&
           currentUrlTree_->GetTree() == ui::Control(form_, IDC_TREE_URL_WSC).Handle();
}

std::shared_ptr<CFileBrowser> CScriptStore::ModelOf(const std::wstring& key) {
    auto found = urlTrees_.find(key);
    if (found == urlTrees_.end()) {
        auto model = std::make_shared<CFileBrowser>(key);
        CreateDir(GetUrlScriptDirectory(), key);
        found = urlTrees_.emplace(key, std::move(model)).first;
    }
    return found->second;
}

void CScriptStore::SelectMainScript(const std::wstring& key) {
    const std::shared_ptr<CFileBrowser> model = ModelOf(key);
    // The model shown until now keeps its marks: its main script may be running.
    if (currentUrlTree_ && currentUrlTree_ != model) currentUrlTree_->ClearTree();
    currentUrlTree_ = model;
    const HWND tree = ui::Control(form_, IDC_TREE_URL_WSC).Handle();
    // Bound before clearing, so that whatever else the shared tree holds leaves it too.
    currentUrlTree_->SetTree(tree);
    currentUrlTree_->ClearTree();
    currentUrlTree_->Load(tree, GetUrlScriptDirectory() + key);
}

std::shared_ptr<CFileBrowser> CScriptStore::UrlTreeOf(const std::wstring& key) {
    std::shared_ptr<CFileBrowser> model = ModelOf(key);
    model->HoldMarks(GetUrlScriptDirectory() + key);
    return model;
}

void CScriptStore::DropUrlTreeOf(const std::wstring& key) {
    const auto found = urlTrees_.find(key);
    if (found == urlTrees_.end()) return;
    if (currentUrlTree_ == found->second) currentUrlTree_.reset();
    found->second->Clear();
    urlTrees_.erase(found);
}

std::wstring CScriptStore::GetCheckedMainScriptKey() const {
    const CFileBrowser::ItemSet checked = mainTree_.GetCheckedFiles();
    return checked.empty() ? std::wstring() : mainTree_.GetItemKey(*checked.begin());
}

void CScriptStore::SaveState() {
    mainTree_.SaveState();
    for (const auto& [key, model] : urlTrees_) model->SaveState();
}

void CScriptStore::Clear() {
    mainTree_.Clear();
    // The shown model first, while it still knows what the tree shows.
    if (currentUrlTree_) currentUrlTree_->Clear();
    currentUrlTree_.reset();
    for (const auto& [key, model] : urlTrees_) model->Clear();
}

void CScriptStore::ForgetCurrentUrlTree() {
    if (currentUrlTree_) currentUrlTree_->ClearTree();
    currentUrlTree_.reset();
}

bool CScriptStore::SetCheck(int treeId, HTREEITEM item, int markIndex, bool exclusive) {
    if (treeId == IDC_TREE_IE_WSC) return mainTree_.ChangeCheck(item, markIndex, exclusive);
    if (treeId == IDC_TREE_URL_WSC && currentUrlTree_) return currentUrlTree_->ChangeCheck(item, markIndex, exclusive);
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
                PELMORA_LOG(LOG_ERROR, message, error, "CScriptStore::CreateDir");
            }
        }
        if (tail.empty()) return;
        rest = std::move(tail);
    }
}

}  // namespace pelmora
