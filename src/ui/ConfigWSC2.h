#pragma once
// The band's whole user interface: a form on dialog template 104 with the tree of
// browser main scripts, the tree of the selected main script's URL scripts, the list
// of scripts attached right now and the New, Delete, About and Help buttons with their
// hover texts. The checked main script runs exactly while the form is shown. The form
// object deletes itself with its window.
#include <windows.h>
#include <exdisp.h>

#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/ui/FormView.h"
#include "framework/ui/TreeView.h"
#include "resources/resource.h"
#include "runtime/IEBrowserScriptlet.h"
#include "ui/BandFocus.h"
#include "ui/PopupText.h"
#include "ui/ScriptFolderWatch.h"
#include "ui/ScriptStore.h"

namespace pelmora {

// Posted by a window to itself after a check box of one of its trees was clicked or
// toggled with Space: wParam the tree's id and (high word) the model's fill tag when
// posted, lParam the item.
inline constexpr UINT WM_CHECK_CHANGED = WM_APP + 0x6F;
// Posted by a window to itself after an item of one of its trees was double-clicked,
// with the parameters of WM_CHECK_CHANGED: the shell's modal loops stay out of the
// tree's notification.
inline constexpr UINT WM_OPEN_ITEM = WM_APP + 0x70;

class CConfigWSC2 final : public ui::FormView {
public:
    static constexpr UINT kTemplateId = IDD_CONFIGWSC2;

    CConfigWSC2();
    ~CConfigWSC2() override;

    // Keeps the band's input-object site and the band, and finds the browser.
    void SetSite(IUnknown* site, IBandFocus* bar);
    // Creates the hidden form window filling parent; false when it cannot be made (the
    // object is then still the caller's to delete). Afterwards the window owns it.
    bool CreateInParent(HWND parent);
    // The focused window when it is inside the form, else none; remember keeps its id
    // to give the focus back to it later.
    HWND HasFocus(bool remember);
    // The enabled states of the Delete and New URL scripts buttons and the hover text
    // of New URL scripts.
    void UpdateControls();
    void AddAttachedScript(const std::wstring& text);
    // Removes the first entry that is text exactly (case included): the list box's own
    // search would take an entry that only begins with it, in any case.
    void RemoveAttachedScript(const std::wstring& text);
    // The Tab that leaves the band from the Help button, then dialog navigation; true
    // when the message was used.
    bool PreTranslateMessage(MSG& message) noexcept override;

    // 0 on success; E_UNEXPECTED without site or browser; otherwise the attach's result.
    HRESULT AttachScriptlet(const std::wstring& directory, const std::wstring& key);
    HRESULT DetachScriptlet();
    void AttachChecked(bool attach);
    // The bar is going away without having closed the form first.
    void ForgetBar() noexcept { bar_ = nullptr; }

    [[nodiscard]] CScriptStore& Store() noexcept { return store_; }
    [[nodiscard]] CIEBrowserScriptlet* RunningScriptlet() const noexcept { return runningScriptlet_.get(); }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() noexcept override;

    bool OnNotify(const NMHDR& header, LPARAM lParam);
    void OnCommand(int id, int code);
    void OnShowWindow(bool show);
    void OnSetFocus();
    void OnKillFocus(HWND receiving);

    // The trees (ConfigWSC2Trees.cpp).
    void OnTreeClick(const NMHDR& header);
    void OnTreeDblClk(const NMHDR& header);
    void OnTreeKeyDown(const NMTVKEYDOWN& key);
    void OnCheckChanged(int treeId, WORD fillTag, HTREEITEM item);
    // Posts message (WM_CHECK_CHANGED, WM_OPEN_ITEM) for the item of the tree with that id.
    void PostItemMessage(UINT message, UINT_PTR treeId, HTREEITEM item);
    // The model behind the tree with that id, or none.
    [[nodiscard]] CFileBrowser* ModelOfTree(int treeId);
    void OnMainTreeSelChanged(const NMTREEVIEWW& change);
    void OnUrlTreeSelChanged(const NMTREEVIEWW& change);

    void OnBnClickedButtonAbout();
    void OnBnClickedButtonHelp();

    // The script commands (ConfigWSC2Commands.cpp).
    // New browser main script: named in the Save Script As dialog, written from the
    // template, then both trees rebuilt with the new script selected.
    void OnBnClickedButtonNewIeWsc();
    // Asks for the new file's folder and name (starting at the folder of the model's
    // selected item) and writes a script of the scriptlet's event interface with the
    // property; path is the new file's. False when cancelled or not written (the
    // generator has reported why).
    bool CreateMainScript(CScriptlet& scriptlet, CFileBrowser& model, const std::wstring& propertyName,
                          std::wstring& path);

    void OnBnClickedButtonDelIeWsc();
    void OnBnClickedButtonDelUrlWsc();
    void OnBnClickedButtonNewUrlWsc();
    // Opens the double-clicked item unless its tree was refilled since.
    void OnOpenItem(int treeId, WORD fillTag, HTREEITEM item);
    // Deletes the model's selected script or folder through the shell unless it is
    // marked, then reloads the model.
    void DeleteSelectedScript(CFileBrowser& model);
    // One shell deletion with its confirmation and progress; path is a file or folder.
    void DeleteWithShell(const std::wstring& path);
    // The main tree was reloaded from disk and selects nothing.
    void OnMainTreeReloaded();

    // Detaches a scriptlet that is no longer the running one; a failure is a warning.
    static void DetachScriptlet(const com::ComPtr<CIEBrowserScriptlet>& scriptlet);
    void EnableControl(int id, bool enable) const noexcept;
    [[nodiscard]] ui::TreeView MainTree() const noexcept { return ui::TreeView(Item(IDC_TREE_IE_WSC)); }
    [[nodiscard]] ui::TreeView UrlTree() const noexcept { return ui::TreeView(Item(IDC_TREE_URL_WSC)); }
    void SetNewUrlScriptsText(const std::wstring& text);
    // Back to the button's own hover text: no collected pages to offer.
    void ResetNewUrlScriptsText();
    [[nodiscard]] bool IsSelectedUrlScriptMarked() const;
    void LeaveBand() noexcept;

    // Following the script location while shown (ConfigWSC2Watch.cpp).
    static FILETIME LastWriteTime(const std::wstring& path);
    static bool IsWatchTimer(WPARAM id) noexcept;
    void StartWatching();
    void StopWatching() noexcept;
    void OnWatchTimer();
    void RebuildTrees();
    void ReloadUrlTree();
    void RestartChangedScript(bool treesRebuilt);
    // After a command: the trees are compared with the disk again.
    void LookAgainAfterCommand() noexcept;

    // Keeps the watch out while a command and its dialogs run; then the watch looks
    // again, since other programs may have changed the folders meanwhile.
    struct CommandInProgress {
        CConfigWSC2& form;
        explicit CommandInProgress(CConfigWSC2& running) noexcept : form(running) { ++form.commandDepth_; }
        ~CommandInProgress() {
            if (--form.commandDepth_ == 0) form.LookAgainAfterCommand();
        }
        CommandInProgress(const CommandInProgress&) = delete;
        CommandInProgress& operator=(const CommandInProgress&) = delete;
    };

    CScriptStore store_;
    com::ComPtr<IUnknown> site_;
    com::ComPtr<IWebBrowserApp> browser_;
    com::ComPtr<CIEBrowserScriptlet> runningScriptlet_;
    CIEBrowserScriptlet* attaching_ = nullptr;  // its attach has not returned yet
    IBandFocus* bar_ = nullptr;  // not counted: the bar outlives its form window
    UINT rememberedFocus_ = 0;
    bool hidden_ = false;
    CPopupText popupText_;

    CScriptFolderWatch mainWatch_;
    CScriptFolderWatch urlWatch_;
    int commandDepth_ = 0;      // a command (and its dialogs) is running
    bool watchRebuilding_ = false;  // the watch refills the trees: selections write nothing
    std::wstring runningKey_;     // the running scriptlet's script and its file's
    FILETIME runningWritten_{};   // last write when it was attached
};

}  // namespace pelmora
