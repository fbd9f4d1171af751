// What the Save Script As dialog changes: new folders, renamed entries, the saved name.
#include "ui/SaveScriptAsDlg.h"

#include <string>

#include "core/Logger.h"
#include "framework/ui/MessageBoxes.h"
#include "framework/win/Ansi.h"
#include "framework/win/UniqueHandle.h"
#include "ui/ScriptFileName.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "SaveScriptAsDlg";
constexpr wchar_t kNewFolderName[] = L"New Folder";

}  // namespace

void CSaveScriptAsDlg::OnNew() {
    const std::wstring plain = SelectedChainFolder() + L"\\" + kNewFolderName;
    std::wstring created = plain;
    if (!::CreateDirectoryW(plain.c_str(), nullptr)) {
        // New Folder (0), (1), ... until a name is free; any other failure ends it.
        for (unsigned number = 0;; ++number) {
            created = plain + L" (" + std::to_wstring(number) + L")";
            if (::CreateDirectoryW(created.c_str(), nullptr)) break;
            const DWORD error = ::GetLastError();
            if (error == ERROR_ALREADY_EXISTS) continue;
            const std::string message = "Can not create directory. \"" + win::WideToAnsi(created) + "\"";
            PELMORA_LOG(LOG_ERROR, message, error, "CSaveScriptAsDlg::OnNew");
            return;
        }
    }
    newFolderPath_ = created;
    LoadFolderView();
    ::PostMessageW(Handle(), WM_EDIT_NEW_FOLDER, 0, 0);
}

void CSaveScriptAsDlg::OnEditNewFolder() {
    const std::wstring name = newFolderPath_.substr(newFolderPath_.rfind(L'\\') + 1);
    for (int index = 0, count = list_.GetItemCount(); index < count; ++index) {
        if (list_.GetItemText(index) != name) continue;
        list_.Focus();
        (void)list_.EditLabel(index);
        return;
    }
}

bool CSaveScriptAsDlg::OnEditItemName(const NMLVDISPINFOW& edit) {
    if (!edit.item.pszText) return false;  // cancelled
    const int index = edit.item.iItem;
    const bool script = list_.GetItemImage(index) == kScriptImage;
    const std::wstring typed = edit.item.pszText;
    const std::wstring newName = script ? WithScriptExtension(typed) : typed;
    const bool extensionAdded = newName != typed;
    const std::wstring oldName = list_.GetItemText(index);
    const std::wstring folder = SelectedChainFolder();
    const std::wstring oldPath = folder + L"\\" + oldName;
    const std::wstring newPath = folder + L"\\" + newName;
    if (newName == oldName) return true;
    // A name with a path in it would move the entry out of the shown folder.
    DWORD error = ERROR_SUCCESS;
    if (!IsNameInsideFolder(typed, newName)) error = ERROR_INVALID_NAME;
    else if (!::MoveFileW(oldPath.c_str(), newPath.c_str())) error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        const std::wstring kind = script ? L"file" : L"directory";
        const std::string record = "Can not rename " + win::WideToAnsi(kind) + ". current path: " +
                                   win::WideToAnsi(oldPath) + ", new path: " + win::WideToAnsi(newPath);
        PELMORA_LOG(LOG_ERROR, record, error, "CSaveScriptAsDlg::OnEditItemName");
        (void)ui::ShowMessageBox(Handle(), L"Can not rename " + kind + L". \"" + oldPath + L"\"", L"Error",
                                 MB_OK | MB_ICONERROR);
        return false;
    }
    if (extensionAdded) ::PostMessageW(Handle(), WM_RELOAD_FOLDER, 0, 0);
    return true;
}

std::wstring CSaveScriptAsDlg::ExistingName(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const win::UniqueFindHandle find(::FindFirstFileW(path.c_str(), &found));
    return find ? std::wstring(found.cFileName) : std::wstring();
}

void CSaveScriptAsDlg::OnOK() {
    ReadFileName();
    // Enter reaches here with the Save button disabled, too.
    if (fileName_.empty()) return;
    const std::wstring typed = fileName_;
    const std::wstring named = WithScriptExtension(typed);
    if (!IsNameInsideFolder(typed, named)) {
        (void)ui::ShowMessageBox(Handle(), L"Invalid file name \"" + typed + L"\"", L"Error", MB_OK | MB_ICONERROR);
        return;
    }
    if (named != typed) {
        fileName_ = named;
        ShowFileName();
    }
    OfferForCompletion(fileName_);
    const std::wstring path = currentFolder_ + L"\\" + fileName_;
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // A short alias such as ABCDEF~1.WSC names another file than the one typed:
        // replacing it would write over a script the user did not name.
        const std::wstring existing = ExistingName(path);
        if (!existing.empty() &&
            ::CompareStringOrdinal(existing.c_str(), -1, fileName_.c_str(), -1, TRUE) != CSTR_EQUAL) {
            (void)ui::ShowMessageBox(Handle(),
                                     L"File name \"" + fileName_ + L"\" is another name of \"" + existing + L"\".",
                                     L"Error", MB_OK | MB_ICONERROR);
            return;
        }
        const std::wstring question =
            L"File \"" + fileName_ + L"\" already exists.\n\nDo you want to replace it?";
        if (ui::ShowMessageBox(Handle(), question, L"Replace File", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    }
    ReadFileName();
    EndDialog(IDOK);
}

}  // namespace pelmora
