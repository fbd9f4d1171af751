#pragma once
// The Save Script As dialog on template 222, in which the user names a new browser
// main script and picks its folder. It is confined to one folder tree: the Save in box
// shows the chain from the top folder down to the shown folder, the list its folders
// and scripts. The user goes into and out of folders, makes and renames folders and
// renames scripts in place (at once, on disk: Cancel does not undo them), and types a
// file name that the shared autocomplete list completes. Save adds the ".WSC"
// extension, refuses a name that would leave the folder, and asks before an existing
// file is replaced. The dialog writes no script itself. One object per modal run.
#include <windows.h>
#include <commctrl.h>
#include <shldisp.h>

#include <string>

#include "framework/com/ComPtr.h"
#include "framework/ui/ComboBoxEx.h"
#include "framework/ui/Dialog.h"
#include "framework/ui/ListView.h"
#include "resources/resource.h"
#include "ui/ImageLists.h"

namespace pelmora {

// Posted by the dialog to itself: list the shown folder again.
inline constexpr UINT WM_RELOAD_FOLDER = WM_APP + 0x70;
// Posted by the dialog to itself: start editing the label of the folder New made.
inline constexpr UINT WM_EDIT_NEW_FOLDER = WM_APP + 0x71;

class CSaveScriptAsDlg : public ui::Dialog {
public:
    static constexpr UINT kTemplateId = IDD_SAVE_SCRIPT_AS;
    // Image indexes of the list's entries, which also tell their kind.
    static constexpr int kScriptImage = 0;
    static constexpr int kFolderImage = 1;
    static constexpr int kParentImage = 2;

    // The dialog is owned by parent when it runs.
    explicit CSaveScriptAsDlg(HWND parent);
    ~CSaveScriptAsDlg() override;

    // Before the run: the top folder, above which the user cannot go, and the folder
    // shown first (the top folder when start does not lie below top). Full paths
    // without a trailing backslash.
    void SetFolders(const std::wstring& top, const std::wstring& start);
    // IDOK when the user saved, IDCANCEL otherwise (Dialog::kNotShown when it could
    // not be shown).
    INT_PTR DoModal() noexcept;

    // After IDOK: the folder and the file name (ending in ".WSC" in any letter case;
    // the user agreed to replace it when it existed), to be joined with a backslash.
    [[nodiscard]] const std::wstring& GetFolder() const noexcept { return currentFolder_; }
    [[nodiscard]] const std::wstring& GetFileName() const noexcept { return fileName_; }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnNotify(const NMHDR& header, LPARAM lParam, LRESULT& result);
    bool OnCommand(int id, int code);

    void OnInitDialog();
    void OnShowWindow(bool shown);
    void OnDestroy() noexcept;
    void OnFolderSelChange();
    void OnListDblClk(int index);
    void OnListClick(int index);
    void OnFileNameChange();
    void OnNew();
    void OnEditNewFolder();
    bool OnEditItemName(const NMLVDISPINFOW& edit);
    void OnOK();

    void LoadFolderChain();
    void LoadFolderView();
    void AddListEntry(const WIN32_FIND_DATAW& found);
    // The folder of a Save in entry: the top folder followed by its chain path.
    [[nodiscard]] std::wstring GetChainPath(int index) const;
    [[nodiscard]] std::wstring SelectedChainFolder() const;
    // Appends name to the shared autocomplete list unless the list holds it already.
    void OfferForCompletion(const std::wstring& name) const;

    // The file name box's text into fileName_, and back.
    void ReadFileName();
    void ShowFileName();
    void EnableSave();
    // The name under which the file system lists what path reaches; empty when nothing.
    static std::wstring ExistingName(const std::wstring& path);

    HWND parent_;
    std::wstring topFolder_;
    std::wstring currentFolder_;
    std::wstring fileName_;
    std::wstring newFolderPath_;
    ui::ListView list_;
    ui::ComboBoxEx saveInBox_;
    ui::ComboBoxEx fileNameBox_;
    CImageLists imageLists_;
    com::ComPtr<IAutoComplete> autoComplete_;
};

}  // namespace pelmora
