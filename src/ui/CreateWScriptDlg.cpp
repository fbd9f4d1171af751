#include "ui/CreateWScriptDlg.h"

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Button.h"
#include "framework/ui/DropDownList.h"
#include "framework/ui/TreeView.h"
#include "library/ScriptLocation.h"
#include "resources/resource.h"
#include "ui/ConfigWSC2.h"

namespace pelmora {

namespace {

constexpr wchar_t kUrlKind[] = L"URL";
constexpr wchar_t kHostKind[] = L"Host";


// The tree path a location gives in a kind: "host/path" for a page, "host" for its
// site; empty when the location has none in that kind (the root page "/" is a site's).
std::wstring PathOf(const CLocation& location, CCreateWScriptDlg::Kind kind) {
    if (kind == CCreateWScriptDlg::Kind::kHost) return location.GetHostName();
    const std::wstring path = location.GetPathName();
    if (path == L"/") return {};
    return location.GetHostName() + path;
}

}  // namespace

CCreateWScriptDlg::CCreateWScriptDlg(HWND parent)
    : ui::Dialog(ui::CurrentModuleInstance(), kTemplateId), parent_(parent) {}

CCreateWScriptDlg::~CCreateWScriptDlg() = default;

bool CCreateWScriptDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != FALSE);
        return false;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COMBO_SCRIPT_KIND && HIWORD(wParam) == CBN_SELCHANGE) {
            OnSelchangeKind();
            result = 0;
            return true;
        }
        if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            OnOK();
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY:
        if (lParam && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam)) {
            result = 0;
            return true;
        }
        return false;
    case WM_CHECK_CHANGED:
        OnCheckChanged(static_cast<int>(wParam), reinterpret_cast<HTREEITEM>(lParam));
        result = 0;
        return true;
    default:
        return false;
    }
}

void CCreateWScriptDlg::OnShowWindow(bool show) {
    ::SetWindowTextW(Handle(), (L"Add scripts for \"" + mainScriptKey_ + L"\"").c_str());
    if (!show) return;
    const ui::DropDownList kinds(Handle(), IDC_COMBO_SCRIPT_KIND);
    // Shown once per run; a second showing must not list the kinds twice.
    kinds.ResetContent();
    kinds.AddString(kUrlKind);
    kinds.AddString(kHostKind);
    kinds.SetCurSel(kinds.FindStringExact(kUrlKind));
    FillTree(Kind::kUrl);
}

void CCreateWScriptDlg::OnSelchangeKind() {
    const ui::DropDownList kinds(Handle(), IDC_COMBO_SCRIPT_KIND);
    FillTree(kinds.GetEntryText(kinds.GetCurSel()) == kUrlKind ? Kind::kUrl : Kind::kHost);
}

void CCreateWScriptDlg::FillTree(Kind kind) {
    auto paths = std::make_shared<CFileBrowser::UrlPathList>();
    if (locations_) {
        for (const auto& location : *locations_) {
            std::wstring path = PathOf(*location, kind);
            if (!path.empty()) paths->push_back(std::move(path));
        }
    }
    const bool any = !paths->empty();
    model_.Clear();
    model_.LoadUrls(Item(IDC_TREE_ADD_URL), std::move(paths));
    ui::Button(Handle(), IDOK).Enable(any);
}

bool CCreateWScriptDlg::OnNotify(const NMHDR& header, LPARAM lParam) {
    if (header.idFrom != static_cast<UINT_PTR>(IDC_TREE_ADD_URL)) return false;
    const ui::TreeView tree(header.hwndFrom);
    if (header.code == NM_CLICK) {
        const DWORD position = ::GetMessagePos();
        POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        ::ScreenToClient(header.hwndFrom, &point);
        UINT flags = 0;
        const HTREEITEM item = tree.HitTest(point, flags);
        if (item && (flags & TVHT_ONITEMSTATEICON)) {
            ::PostMessageW(Handle(), WM_CHECK_CHANGED, header.idFrom, reinterpret_cast<LPARAM>(item));
        }
        return true;
    }
    if (header.code == TVN_KEYDOWN) {
        if (reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey == VK_SPACE) {
            ::PostMessageW(Handle(), WM_CHECK_CHANGED, header.idFrom,
                           reinterpret_cast<LPARAM>(tree.GetSelectedItem()));
        }
        return true;
    }
    return false;
}

void CCreateWScriptDlg::OnCheckChanged(int treeId, HTREEITEM item) {
    if (treeId != IDC_TREE_ADD_URL || !item) return;
    const int markIndex = model_.CompleteCheckAdvance(item);
    (void)model_.ChangeCheck(item, markIndex, false);
    ui::Button(Handle(), IDOK).Enable(model_.HasCheckedItems());
}

void CCreateWScriptDlg::OnOK() {
    // Enter reaches the default button even while it is disabled: nothing to create.
    if (!ui::Button(Handle(), IDOK).IsEnabled()) return;
    // The key begins with a backslash.
    model_.CreateCheckedScripts(GetUrlScriptDirectory() + mainScriptKey_);
    EndDialog(IDOK);
}

}  // namespace pelmora
