#pragma once
// The tree models behind the configuration form's two script trees: one for the
// browser main scripts, and one per main script for its URL scripts, made when that
// main script is first selected and kept for the life of the store.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "library/ScriptLocation.h"
#include "resources/resource.h"
#include "ui/FileBrowser.h"

namespace pelmora {

// The main-script tree saves its marks under the name of its folder.
inline const wchar_t* const kMainTreeStateValueName = kMainScriptFolderName;

class CScriptStore {
public:
    CScriptStore();
    // Releases the models; nothing is saved.
    virtual ~CScriptStore();
    CScriptStore(const CScriptStore&) = delete;
    CScriptStore& operator=(const CScriptStore&) = delete;

    // Fills the form's main-script tree from mainDirectory; when a main script is
    // checked, selects it and fills the URL-script tree with its URL scripts. The
    // result of loading the main tree (see CFileBrowser::Load).
    HRESULT Load(HWND form, const std::wstring& mainDirectory);
    // The same from the marks held in memory: empties and refills both trees without
    // reading or writing the registry (what changed on disk is shown, nothing is lost).
    HRESULT Refill(HWND form, const std::wstring& mainDirectory);
    // Makes the URL-script model of the main script with that key current and fills
    // the URL-script tree from its folder, which is created with the model.
    void SelectMainScript(const std::wstring& key);
    // The URL-script model of the main script with that key, holding its marks, whether
    // or not it is shown: a running main script reads its own, whatever is selected.
    [[nodiscard]] std::shared_ptr<CFileBrowser> UrlTreeOf(const std::wstring& key);
    // Forgets the URL-script model of that key with its marks (its script is gone).
    void DropUrlTreeOf(const std::wstring& key);
    // The key of the first checked main script; empty when none is checked.
    [[nodiscard]] std::wstring GetCheckedMainScriptKey() const;
    // Saves the marks of the main tree and of every URL-script model that holds some.
    void SaveState();
    // Empties both trees and every model's marks; the current URL-script model is
    // forgotten, not destroyed.
    void Clear();
    // Empties the URL-script tree and stops showing its model, which keeps its marks (a
    // folder was selected).
    void ForgetCurrentUrlTree();
    // Applies a check-box change in the tree with that control id (see
    // CFileBrowser::ChangeCheck); false for any other id.
    bool SetCheck(int treeId, HTREEITEM item, int markIndex, bool exclusive);
    [[nodiscard]] bool HasCheckedMainScript() const { return mainTree_.HasCheckedItems(); }
    [[nodiscard]] bool IsSelectedMainScriptChecked() const;
    [[nodiscard]] const std::wstring& GetMainDirectory() const noexcept { return mainTree_.GetDirectory(); }

    [[nodiscard]] CFileBrowser& GetMainTree() noexcept { return mainTree_; }
    // The URL-script model of the selected main script, or none.
    [[nodiscard]] const std::shared_ptr<CFileBrowser>& GetCurrentUrlTree() const noexcept { return currentUrlTree_; }

    // Creates each folder of relativePath ("\news\daily.WSC") below base, one level at
    // a time; a level that cannot be created is logged and the deeper ones still tried.
    static void CreateDir(const std::wstring& base, const std::wstring& relativePath);

private:
    [[nodiscard]] std::shared_ptr<CFileBrowser> ModelOf(const std::wstring& key);
    // Whether the URL-script tree shows the filled model of the main script with that key.
    [[nodiscard]] bool IsShowingUrlTreeOf(const std::wstring& key) const;

    HWND form_ = nullptr;
    CFileBrowser mainTree_;
    std::shared_ptr<CFileBrowser> currentUrlTree_;
    // std::wstring orders keys ordinally and case-sensitively, as main script keys are.
    std::map<std::wstring, std::shared_ptr<CFileBrowser>> urlTrees_;
};

}  // namespace pelmora
