#include "ui/ConfigWSC2.h"

#include <commctrl.h>

#include <utility>

#include "core/Logger.h"
#include "framework/com/Bstr.h"
#include "framework/com/Variant.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/ResourceString.h"
#include "framework/ui/TreeView.h"
#include "ui/AboutDlg.h"
#include "ui/HelpUrl.h"
#include "library/ScriptLocation.h"
#include "resources/resource.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "ConfigWSC2";

std::wstring HoverText(UINT controlId) { return ui::LoadResourceString(ui::CurrentModuleInstance(), controlId); }

}  // namespace

CConfigWSC2::CConfigWSC2() : ui::FormView(ui::CurrentModuleInstance(), kTemplateId) {}

CConfigWSC2::~CConfigWSC2() {
    (void)DetachScriptlet();
    popupText_.Destroy();
}

void CConfigWSC2::SetSite(IUnknown* site, IBandFocus* bar) {
    if (!site) return;
    if (site != site_.get()) site_ = com::ComPtr<IUnknown>(site);
    bar_ = bar;

    com::ComPtr<IServiceProvider> services;
    HRESULT hr = site_->QueryInterface(IID_IServiceProvider, services.put_void());
    if (FAILED(hr) || !services) {
        PELMORA_LOG(LOG_ERROR, "Failed to query for IServiceProvider.", FAILED(hr) ? hr : E_NOINTERFACE,
                    "CConfigWSC2::SetSite");
        return;
    }
    hr = services->QueryService(IID_IWebBrowserApp, IID_IWebBrowserApp, browser_.put_void());
    if (FAILED(hr) || !browser_) {
        browser_.reset();
        PELMORA_LOG(LOG_ERROR, "Failed to query for IWebBrowserApp.", FAILED(hr) ? hr : E_NOINTERFACE,
                    "CConfigWSC2::SetSite");
    }
}

bool CConfigWSC2::CreateInParent(HWND parent) {
    RECT client{};
    if (!parent || !::GetClientRect(parent, &client)) return false;
    if (!Create(parent, client, kTemplateId, WS_CHILD)) return false;
    HWND form = Handle();
    // Dialog navigation keys reach the form's controls only through such parents.
    ::SetWindowLongPtrW(form, GWL_EXSTYLE, ::GetWindowLongPtrW(form, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrW(parent, GWL_EXSTYLE, ::GetWindowLongPtrW(parent, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);

    (void)popupText_.Create(0, 0, form);
    // A control has a hover text when the string table has a string with its id; taken
    // in template order, the order in which the popup text searches the controls.
    for (HWND control = ::GetWindow(form, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(control);
        if (id <= 0 || id > 0xFFFF) continue;  // the unnamed statics and group boxes
        const std::wstring text = HoverText(static_cast<UINT>(id));
        if (!text.empty()) popupText_.SetText(static_cast<UINT>(id), text);
    }
    return true;
}

HWND CConfigWSC2::HasFocus(bool remember) {
    HWND focus = ::GetFocus();
    if (!focus || !Handle() || !::IsChild(Handle(), focus)) return nullptr;
    if (remember) rememberedFocus_ = static_cast<UINT>(::GetDlgCtrlID(focus));
    return focus;
}

void CConfigWSC2::EnableControl(int id, bool enable) const noexcept {
    if (const ui::Control control{Item(id)}) control.Enable(enable);
}

void CConfigWSC2::SetNewUrlScriptsText(const std::wstring& text) { popupText_.SetText(IDC_BUTTON_NEW_URL_WSC, text); }

void CConfigWSC2::ResetNewUrlScriptsText() { SetNewUrlScriptsText(HoverText(IDC_BUTTON_NEW_URL_WSC)); }

bool CConfigWSC2::IsSelectedUrlScriptMarked() const {
    const auto& urlTree = store_.GetCurrentUrlTree();
    const HTREEITEM selected = UrlTree().GetSelectedItem();
    return selected && urlTree && urlTree->IsItemChecked(selected);
}

void CConfigWSC2::UpdateControls() {
    if (!Handle()) return;
    const CFileBrowser& mainTree = store_.GetMainTree();
    const HTREEITEM selected = MainTree().GetSelectedItem();
    if (!selected) {
        EnableControl(IDC_BUTTON_DEL_IE_WSC, false);
        EnableControl(IDC_BUTTON_NEW_URL_WSC, false);
        ResetNewUrlScriptsText();
    } else {
        const bool marked = mainTree.IsItemChecked(selected);
        EnableControl(IDC_BUTTON_DEL_IE_WSC, !marked);
        const bool checkedScript = marked && mainTree.IsScriptItem(selected);
        if (checkedScript && runningScriptlet_ && runningScriptlet_->GetCollectedCount() != 0) {
            std::wstring text = L"Create URL script(s) for collected URL(s):\n\n";
            const auto collected = runningScriptlet_->GetCollectedLocations();  // held through the loop
            for (const auto& location : *collected) {
                text += location->GetProtocol() + L"//" + location->GetHostName() + location->GetPathName() + L"\n";
            }
            EnableControl(IDC_BUTTON_NEW_URL_WSC, true);
            SetNewUrlScriptsText(text);
        } else {
            EnableControl(IDC_BUTTON_NEW_URL_WSC, false);
            ResetNewUrlScriptsText();
        }
    }
    const HTREEITEM urlSelected = UrlTree().GetSelectedItem();
    EnableControl(IDC_BUTTON_DEL_URL_WSC, urlSelected && !IsSelectedUrlScriptMarked());
}

void CConfigWSC2::AddAttachedScript(const std::wstring& text) {
    if (!Handle()) return;
    (void)ui::ListBox(Item(IDC_LIST_ATTACHED_WSC)).AddString(text);
}

void CConfigWSC2::RemoveAttachedScript(const std::wstring& text) {
    if (!Handle()) return;
    const ui::ListBox list(Item(IDC_LIST_ATTACHED_WSC));
    if (!list) return;
    // Matched case by case: the list's own search ignores case.
    const int count = list.GetCount();
    for (int index = 0; index < count; ++index) {
        if (list.GetText(index) != text) continue;
        (void)list.DeleteString(index);
        return;
    }
}

bool CConfigWSC2::PreTranslateMessage(MSG& message) noexcept {
    if (!Handle()) return false;
    // Decided before the dialog navigation moves the focus on from the Help button.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        ui::Control(Item(IDC_BUTTON_HELP)).HasFocus()) {
        LeaveBand();
        return true;
    }
    return ui::FormView::PreTranslateMessage(message);
}

void CConfigWSC2::LeaveBand() noexcept {
    rememberedFocus_ = 0;
    if (bar_) bar_->NotifyFocusChange(false);
    if (!browser_) return;
    SHANDLE_PTR top = 0;
    if (SUCCEEDED(browser_->get_HWND(&top)) && top) ::SetFocus(reinterpret_cast<HWND>(top));
}

HRESULT CConfigWSC2::AttachScriptlet(const std::wstring& directory, const std::wstring& key) {
    if (!site_ || !browser_) {
        PELMORA_LOG(LOG_ERROR, "Site or WebBrowser is not set.", 1, "CConfigWSC2::AttachScriptlet");
        return E_UNEXPECTED;
    }
    com::ComPtr<CIEBrowserScriptlet> scriptlet;
    try {
        scriptlet = com::ComPtr<CIEBrowserScriptlet>(
            new CIEBrowserScriptlet(store_.UrlTreeOf(key), directory, key));
    } catch (...) {
        PELMORA_LOG(LOG_ERROR, "Can not attach scriptlet", E_OUTOFMEMORY, "CConfigWSC2::AttachScriptlet");
        return E_OUTOFMEMORY;
    }
    runningScriptlet_ = scriptlet;
    runningKey_ = key;
    runningWritten_ = LastWriteTime(directory + key);
    const com::ComPtr<IWebBrowserApp> browser = browser_;
    com::ComPtr<IDispatch> source;
    HRESULT hr = browser.As(source);
    // The script runs while it attaches (its own code, its property), and a modal box it
    // shows lets the user hide the band or check another script meanwhile: a detach
    // asked for then takes effect once the attach has returned.
    CIEBrowserScriptlet* const outer = std::exchange(attaching_, scriptlet.get());
    if (SUCCEEDED(hr)) hr = scriptlet->Attach(source.get());
    attaching_ = outer;
    if (hr != S_OK) PELMORA_LOG(LOG_ERROR, "Can not attach scriptlet", 1, "CConfigWSC2::AttachScriptlet");
    if (!(runningScriptlet_ == scriptlet)) {
        DetachScriptlet(scriptlet);
        return hr == S_OK ? E_ABORT : hr;
    }
    return hr;
}

HRESULT CConfigWSC2::DetachScriptlet() {
    if (!runningScriptlet_) return S_OK;
    const com::ComPtr<CIEBrowserScriptlet> running = std::move(runningScriptlet_);
    runningKey_.clear();
    if (running.get() != attaching_) DetachScriptlet(running);
    return S_OK;
}

void CConfigWSC2::DetachScriptlet(const com::ComPtr<CIEBrowserScriptlet>& scriptlet) {
    // Also after a failed attach, whose detach fails and says so.
    const HRESULT hr = scriptlet->Detach();
    if (hr != S_OK) {
        PELMORA_LOG(LOG_WARNING, "Can not detach browser scriptlet.", hr, "CConfigWSC2::DetachScriptlet");
    }
}

void CConfigWSC2::AttachChecked(bool attach) {
    (void)DetachScriptlet();
    if (attach) (void)AttachScriptlet(store_.GetMainDirectory(), store_.GetCheckedMainScriptKey());
}

bool CConfigWSC2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    MSG relayed{Handle(), message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
    const DWORD position = ::GetMessagePos();
    relayed.pt = POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    popupText_.RelayEvent(relayed);

    switch (message) {
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != FALSE);
        return false;
    case WM_SETFOCUS:
        OnSetFocus();
        result = 0;
        return true;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        result = 0;
        return true;
    case WM_MOUSEACTIVATE:
        ::SetFocus(Handle());
        result = MA_ACTIVATE;
        return true;
    case WM_TIMER:
        if (!IsWatchTimer(wParam)) return false;
        OnWatchTimer();
        result = 0;
        return true;
    case WM_CHECK_CHANGED:
        OnCheckChanged(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HTREEITEM>(lParam));
        result = 0;
        return true;
    case WM_OPEN_ITEM:
        OnOpenItem(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HTREEITEM>(lParam));
        result = 0;
        return true;
    case WM_NOTIFY:
        if (lParam && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam)) {
            result = 0;
            return true;
        }
        return false;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CConfigWSC2::OnFinalMessage() noexcept {
    // No focus notification may reach a bar that is closing; the bar hears that the
    // form is gone, whoever destroyed its window.
    IBandFocus* bar = bar_;
    bar_ = nullptr;
    StopWatching();
    if (bar) bar->OnFormDestroyed();
    ui::FormView::OnFinalMessage();
}

bool CConfigWSC2::OnNotify(const NMHDR& header, LPARAM lParam) {
    const int id = static_cast<int>(header.idFrom);
    if (id != IDC_TREE_IE_WSC && id != IDC_TREE_URL_WSC) return false;
    switch (header.code) {
    case NM_CLICK:
        OnTreeClick(header);
        return true;
    case TVN_KEYDOWN:
        OnTreeKeyDown(*reinterpret_cast<const NMTVKEYDOWN*>(lParam));
        return true;
    case NM_DBLCLK:
        // Answered 0: the tree still expands or collapses a folder.
        OnTreeDblClk(header);
        return true;
    case TVN_SELCHANGEDW:
        if (id == IDC_TREE_IE_WSC) {
            OnMainTreeSelChanged(*reinterpret_cast<const NMTREEVIEWW*>(lParam));
        } else {
            OnUrlTreeSelChanged(*reinterpret_cast<const NMTREEVIEWW*>(lParam));
        }
        return true;
    default:
        return false;
    }
}

void CConfigWSC2::OnCommand(int id, int) {
    const CommandInProgress command(*this);
    switch (id) {
    case IDC_BUTTON_ABOUT:
        OnBnClickedButtonAbout();
        break;
    case IDC_BUTTON_HELP:
        OnBnClickedButtonHelp();
        break;
    case IDC_BUTTON_NEW_IE_WSC:
        OnBnClickedButtonNewIeWsc();
        break;
    case IDC_BUTTON_DEL_IE_WSC:
        OnBnClickedButtonDelIeWsc();
        break;
    case IDC_BUTTON_DEL_URL_WSC:
        OnBnClickedButtonDelUrlWsc();
        break;
    case IDC_BUTTON_NEW_URL_WSC:
        OnBnClickedButtonNewUrlWsc();
        break;
    default:
        break;
    }
}

void CConfigWSC2::OnShowWindow(bool show) {
    if (!show) {
        hidden_ = true;
        StopWatching();
        store_.SaveState();
        (void)DetachScriptlet();
        store_.Clear();
        return;
    }
    hidden_ = false;
    (void)store_.Load(Handle(), GetMainScriptDirectory());
    if (MainTree().GetCount() == 0) {
        EnableControl(IDC_BUTTON_DEL_IE_WSC, false);
        EnableControl(IDC_BUTTON_DEL_URL_WSC, false);
        EnableControl(IDC_BUTTON_NEW_URL_WSC, false);
        ResetNewUrlScriptsText();
    }
    const bool checked = store_.HasCheckedMainScript();
    (void)DetachScriptlet();
    if (checked) (void)AttachScriptlet(store_.GetMainDirectory(), store_.GetCheckedMainScriptKey());
    StartWatching();
}

void CConfigWSC2::OnSetFocus() {
    ui::Control target(rememberedFocus_ ? Item(static_cast<int>(rememberedFocus_)) : nullptr);
    if (!target) target = MainTree();
    if (target && !target.HasFocus()) target.Focus();
    if (bar_) bar_->NotifyFocusChange(true);
}

void CConfigWSC2::OnKillFocus(HWND receiving) {
    if (receiving && ::IsChild(Handle(), receiving)) return;
    rememberedFocus_ = 0;
    if (bar_) bar_->NotifyFocusChange(false);
}

void CConfigWSC2::OnBnClickedButtonAbout() {
    CAboutDlg about;
    (void)about.DoModal(Handle());
}

void CConfigWSC2::OnBnClickedButtonHelp() {
    if (!browser_) return;
    const com::Bstr url(HelpPageUrl(ui::CurrentModuleInstance()).c_str());
    com::Variant none;
    (void)browser_->Navigate(url.get(), none.get(), none.get(), none.get(), none.get());
}

}  // namespace pelmora
