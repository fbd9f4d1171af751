// Writing the URL scripts of the Add URL tree's checked items.
#include "ui/FileBrowser.h"

#include "core/Logger.h"
#include "framework/com/ComPtr.h"
#include "framework/win/Ansi.h"
#include "library/ScriptletCode.h"
#include "runtime/EventInterfaces.h"
#include "runtime/Scriptlet.h"
#include "runtime/UrlScriptName.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "FileBrowserScripts";

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteUrlScript(const std::wstring& path) {
    const EventInterface& events = WindowEvents();
    com::ComPtr<ITypeInfo> typeInfo = CScriptlet::GetTypeInfo(events);
    if (!typeInfo) return;  // already reported
    CScriptletCode code(typeInfo.get());
    typeInfo.reset();
    code.AddProperty(events.propertyName);
    (void)code.Save(path);  // the generator reports its own failures
}

}  // namespace

void CFileBrowser::CreateCheckedScripts(const std::wstring& directory) {
    directory_ = directory;
    if (!tree_) return;
    ForEachItem(tree_.GetRootItem(), [this](HTREEITEM item) {
        if (!IsItemChecked(item)) return false;
        const std::wstring folder = GetItemFolder(item);
        const std::wstring name = GetItemFileName(item);
        // Names come from web sites: each item's own text must be a name Windows accepts
        // that stays inside the folder, so "a\b" is one unusable name, not two folders.
        bool usable = IsUsableUrlNameComponent(tree_.GetItemText(item));
        for (HTREEITEM above = tree_.GetParentItem(item); above; above = tree_.GetParentItem(above)) {
            // A script's text is no folder of the items below it.
            if (IsScriptItem(above) || IsUsableUrlNameComponent(tree_.GetItemText(above))) continue;
            if (IsItemChecked(above)) return false;  // refused with the folder's own record
            usable = false;
        }
        if (!usable) {
            const std::string text = "Unusable URL script name (" + win::WideToAnsi(folder + L"\\" + name) + ").";
            PELMORA_LOG(LOG_ERROR, text, 1, "CFileBrowser::CreateCheckedScripts");
            return false;
        }
        const std::wstring itemDirectory = GetItemDirectory(item);
        ::CreateDirectoryW(itemDirectory.c_str(), nullptr);  // an existing folder is fine
        if (name.empty()) return false;
        const std::wstring path = itemDirectory + L"\\" + name + L".WSC";
        // What the user wrote in an existing script is kept, not written over.
        if (FileExists(path)) {
            const std::string text = "URL script exists and is kept (" + win::WideToAnsi(path) + ").";
            PELMORA_LOG(LOG_WARNING, text, 1, "CFileBrowser::CreateCheckedScripts");
            return false;
        }
        WriteUrlScript(path);
        return false;
    });
}

}  // namespace pelmora
