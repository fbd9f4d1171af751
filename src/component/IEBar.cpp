#include "component/IEBar.h"

#include <cwchar>
#include <memory>

#include "component/PelmoraApp.h"
#include "core/Logger.h"
#include "ui/ConfigWSC2.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "IEBar";
constexpr wchar_t kBandTitle[] = L"Pelmora";

}  // namespace

CIEBar::CIEBar() : IEBarInterfaces(LIBID_PelmoraLib, 1, IID_IIEBar), events_(this, DIID__IIEBarEvents, DIID__IIEBarEvents) {}

CIEBar::~CIEBar() {
    // The browser closes the form first; a host that did not must not leave the form
    // calling a bar that is gone.
    if (form_) form_->ForgetBar();
    LeaveCurrentBar();
}

HWND CIEBar::FormWindow() const noexcept { return form_ ? form_->Handle() : nullptr; }

STDMETHODIMP CIEBar::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = FormWindow();
    return S_OK;
}

STDMETHODIMP CIEBar::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP CIEBar::ShowDW(BOOL show) {
    if (HWND window = FormWindow()) ::ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP CIEBar::CloseDW(DWORD) {
    (void)ShowDW(FALSE);
    CloseForm();
    return S_OK;
}

void CIEBar::CloseForm() noexcept {
    // The slot may hold the last reference to this bar: keep it alive to the end.
    const com::ComPtr<IIEBar> self(static_cast<IIEBar*>(this));
    if (form_) {
        HWND window = form_->Handle();
        form_ = nullptr;  // the form deletes itself with its window
        if (window) ::DestroyWindow(window);
    }
    LeaveCurrentBar();
}

void CIEBar::LeaveCurrentBar() noexcept { GetPelmoraApp().ClearCurrentBar(this); }

void CIEBar::OnFormDestroyed() noexcept {
    const com::ComPtr<IIEBar> self(static_cast<IIEBar*>(this));
    form_ = nullptr;
    LeaveCurrentBar();
}

STDMETHODIMP CIEBar::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP CIEBar::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) {
    if (!info) return E_INVALIDARG;
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = POINTL{50, 50};
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = POINTL{-1, -1};
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = POINTL{1, 1};
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = POINTL{0, 0};
    if (info->dwMask & DBIM_TITLE) {
        constexpr size_t capacity = sizeof(info->wszTitle) / sizeof(info->wszTitle[0]);
        std::wcsncpy(info->wszTitle, kBandTitle, capacity - 1);
        info->wszTitle[capacity - 1] = L'\0';
    }
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_VARIABLEHEIGHT;
    // The browser's own background suits the form.
    info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
    return S_OK;
}

STDMETHODIMP CIEBar::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_IEBar;
    return S_OK;
}

STDMETHODIMP CIEBar::IsDirty() { return S_FALSE; }

STDMETHODIMP CIEBar::Load(IStream*) {
    ::OutputDebugStringA("CIEBar::Load()\n");
    return S_OK;
}

STDMETHODIMP CIEBar::Save(IStream*, BOOL) {
    ::OutputDebugStringA("CIEBar::Save()\n");
    return S_OK;
}

STDMETHODIMP CIEBar::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

STDMETHODIMP CIEBar::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return events_.EnumerateAsOnlyPoint(points);
}

STDMETHODIMP CIEBar::FindConnectionPoint(REFIID iid, IConnectionPoint** point) { return events_.Find(iid, point); }

STDMETHODIMP CIEBar::SetSite(IUnknown* site) {
    if (!site) {
        // The form holds the site and lives in the site's window: without a site it
        // has nowhere to be, so it closes as CloseDW would have closed it.
        (void)ShowDW(FALSE);
        CloseForm();
        inputSite_.reset();
        parentWindow_ = nullptr;
        return S_OK;
    }
    inputSite_.reset();

    parentWindow_ = nullptr;
    {
        com::ComPtr<IOleWindow> oleWindow;
        HRESULT hr = site->QueryInterface(IID_IOleWindow, oleWindow.put_void());
        if (FAILED(hr) || !oleWindow) {
            PELMORA_LOG(LOG_ERROR, "Failed to query for IOleWindow Interface.", FAILED(hr) ? hr : E_NOINTERFACE,
                        "CIEBar::SetSite");
        } else {
            hr = oleWindow->GetWindow(&parentWindow_);
            if (FAILED(hr)) {
                parentWindow_ = nullptr;
                PELMORA_LOG(LOG_ERROR, "Can not get parent window.", hr, "CIEBar::SetSite");
            }
        }
    }
    if (!parentWindow_) return E_FAIL;

    const HRESULT hr = site->QueryInterface(IID_IInputObjectSite, inputSite_.put_void());
    if (FAILED(hr) || !inputSite_) {
        inputSite_.reset();
        PELMORA_LOG(LOG_ERROR, "Failed to query for IInputObjectSite Interface.", FAILED(hr) ? hr : E_NOINTERFACE,
                    "CIEBar::SetSite");
        return E_FAIL;
    }
    return RegisterAndCreateWindow() ? S_OK : E_FAIL;
}

STDMETHODIMP CIEBar::GetSite(REFIID iid, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!inputSite_) return E_FAIL;
    return inputSite_->QueryInterface(iid, site);
}

bool CIEBar::RegisterAndCreateWindow() noexcept {
    if (form_) return FormWindow() != nullptr;
    GetPelmoraApp().SetCurrentBar(this);
    if (!parentWindow_) {
        PELMORA_LOG(LOG_WARNING, "Can't create a child window without a parent.", 0, "CIEBar::RegisterAndCreateWindow");
        LeaveCurrentBar();
        return false;
    }
    // The slot holds a reference to this bar: a form that was not made must not leave
    // it there, or the bar and the DLL stay loaded for good.
    const com::ComPtr<IIEBar> self(static_cast<IIEBar*>(this));
    try {
        auto form = std::make_unique<CConfigWSC2>();
        form->SetSite(inputSite_.get(), this);
        // Once created, the form belongs to its window.
        if (form->CreateInParent(parentWindow_)) {
            form_ = form.release();
            return true;
        }
    } catch (...) {
    }
    LeaveCurrentBar();
    return false;
}

STDMETHODIMP CIEBar::UIActivateIO(BOOL activate, MSG*) {
    if (!activate) {
        ::OutputDebugStringA("Activate - false\n");
        return S_OK;
    }
    ::OutputDebugStringA("Activate - true\n");
    if (!form_ && !RegisterAndCreateWindow()) return E_FAIL;
    if (HWND window = FormWindow()) ::SetFocus(window);
    return S_OK;
}

STDMETHODIMP CIEBar::HasFocusIO() {
    const bool inside = form_ && form_->HasFocus(true) != nullptr;
    ::OutputDebugStringA(inside ? "CIEBar::HasFocusIO() - true\n" : "CIEBar::HasFocusIO() - false\n");
    return inside ? S_OK : S_FALSE;
}

STDMETHODIMP CIEBar::TranslateAcceleratorIO(MSG* message) {
    if (!form_ || !message) return S_FALSE;
    return form_->PreTranslateMessage(*message) ? S_OK : S_FALSE;
}

STDMETHODIMP CIEBar::Init() { return S_OK; }

STDMETHODIMP CIEBar::get_test(VARIANT*) { return S_OK; }

STDMETHODIMP CIEBar::put_test(VARIANT) { return S_OK; }

void CIEBar::OnScriptletAttached(const std::wstring& label) {
    if (form_) form_->AddAttachedScript(label);
}

void CIEBar::OnScriptletDetached(const std::wstring& label) {
    if (form_) form_->RemoveAttachedScript(label);
}

void CIEBar::OnLocationsCollected() {
    if (form_) form_->UpdateControls();
}

void CIEBar::NotifyFocusChange(bool gained) noexcept {
    if (inputSite_) (void)inputSite_->OnFocusChangeIS(static_cast<IDeskBand*>(this), gained ? TRUE : FALSE);
}

HRESULT CreateIEBar(IUnknown* outer, REFIID iid, void** out) noexcept {
    return com::CreateComInstance<CIEBar>(outer, iid, out);
}

}  // namespace pelmora
