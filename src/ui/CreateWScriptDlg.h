#pragma once
// The Add URL scripts dialog: offers the locations the running main script has seen
// as a check-box tree, either as pages (host and path) or as sites (host names), and
// on Create writes a URL script for every checked entry into the URL-script folder of
// the main script. One object per modal run.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/ui/Dialog.h"
#include "resources/resource.h"
#include "runtime/CollectedLocations.h"
#include "ui/FileBrowser.h"

namespace pelmora {

class CCreateWScriptDlg final : public ui::Dialog {
public:
    static constexpr UINT kTemplateId = IDD_CREATE_WSCRIPT;

    enum class Kind { kUrl, kHost };

    // Owned by parent (the configuration form) while it runs.
    explicit CCreateWScriptDlg(HWND parent);
    ~CCreateWScriptDlg() override;

    // The main script whose URL-script folder receives the scripts ("\daily.WSC").
    void SetMainScript(const std::wstring& key) { mainScriptKey_ = key; }
    // A snapshot: what is collected while the dialog runs does not appear.
    void SetUrls(std::shared_ptr<const CollectedLocations> locations) { locations_ = std::move(locations); }
    // IDOK after Create, IDCANCEL otherwise (ui::Dialog::kNotShown when it could not run).
    INT_PTR DoModal() noexcept { return ui::Dialog::DoModal(parent_); }

    // The tree's model, for reading what the dialog shows.
    [[nodiscard]] const CFileBrowser& Model() const noexcept { return model_; }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void OnShowWindow(bool show);
    void OnSelchangeKind();
    void FillTree(Kind kind);
    bool OnNotify(const NMHDR& header, LPARAM lParam);
    void OnCheckChanged(int treeId, HTREEITEM item);
    void OnOK();

    HWND parent_;
    std::shared_ptr<const CollectedLocations> locations_;
    CFileBrowser model_{L""};  // its marks are never saved
    std::wstring mainScriptKey_;
};

}  // namespace pelmora
