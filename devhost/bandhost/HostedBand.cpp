#include "bandhost/HostedBand.h"

#include <cwchar>

namespace pelmora::bandhost {

namespace {

constexpr DWORD kAllBandInfo = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                               DBIM_MODEFLAGS | DBIM_BKCOLOR;

std::wstring PointText(const POINTL& point) {
    return std::to_wstring(point.x) + L"x" + std::to_wstring(point.y);
}

std::wstring Flag(bool value) { return value ? L"TRUE" : L"FALSE"; }

}  // namespace

std::wstring MessageText(const MSG* message) {
    if (!message) return L"no message";
    switch (message->message) {
    case WM_LBUTTONDOWN: return L"WM_LBUTTONDOWN";
    case WM_RBUTTONDOWN: return L"WM_RBUTTONDOWN";
    case WM_MBUTTONDOWN: return L"WM_MBUTTONDOWN";
    case WM_KEYDOWN:
        if (message->wParam == VK_TAB) return L"WM_KEYDOWN VK_TAB";
        return L"WM_KEYDOWN " + std::to_wstring(message->wParam);
    default: break;
    }
    wchar_t text[24] = {};
    swprintf(text, 24, L"message 0x%04X", message->message);
    return text;
}

void HostedBand::Note(const std::wstring& text) {
    try {
        transcript_.Add(L"host", text);
    } catch (...) {
        // The band is driven on whether or not the account of it could be kept.
    }
}

HRESULT HostedBand::Attach(IUnknown* band, IUnknown* site) {
    if (!band || !site) return E_POINTER;
    if (band_) return E_UNEXPECTED;  // one band at a time
    com::ComPtr<IDeskBand> deskBand;
    com::ComPtr<IObjectWithSite> withSite;
    com::ComPtr<IInputObject> inputObject;
    const HRESULT deskBandResult = band->QueryInterface(IID_IDeskBand, deskBand.put_void());
    const HRESULT withSiteResult = band->QueryInterface(IID_IObjectWithSite, withSite.put_void());
    const HRESULT inputResult = band->QueryInterface(IID_IInputObject, inputObject.put_void());
    Note(L"the band answers IDeskBand " + HResultText(deskBandResult) + L", IObjectWithSite " +
         HResultText(withSiteResult) + L", IInputObject " + HResultText(inputResult));
    if (FAILED(deskBandResult)) return deskBandResult;
    if (FAILED(withSiteResult)) return withSiteResult;

    band_ = com::ComPtr<IUnknown>(band);
    deskBand_ = deskBand;
    withSite_ = withSite;
    inputObject_ = inputObject;
    const HRESULT hr = withSite_->SetSite(site);
    Note(L"SetSite(site) -> " + HResultText(hr));
    if (FAILED(hr)) {
        Note(L"SetSite(NULL) -> " + HResultText(withSite_->SetSite(nullptr)));
        Release();
        return hr;
    }
    HWND window = nullptr;
    const HRESULT windowResult = deskBand_->GetWindow(&window);
    wchar_t handle[32] = {};
    swprintf(handle, 32, L"%p", static_cast<void*>(window));
    Note(L"GetWindow -> " + HResultText(windowResult) + L", " + (window ? handle : L"no window"));
    ReadBandInfo();
    return S_OK;
}

void HostedBand::ReadBandInfo() {
    DESKBANDINFO info{};
    info.dwMask = kAllBandInfo;
    info.ptMaxSize = {-1, -1};
    info.ptIntegral = {1, 1};
    const HRESULT hr = deskBand_->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info);
    info.wszTitle[sizeof(info.wszTitle) / sizeof(info.wszTitle[0]) - 1] = L'\0';
    if (FAILED(hr)) {
        info = DESKBANDINFO{};
        info.ptMaxSize = {-1, -1};
        info.ptIntegral = {1, 1};
        Note(L"GetBandInfo(0, DBIF_VIEWMODE_VERTICAL) -> " + HResultText(hr));
    } else {
        wchar_t modes[16] = {};
        swprintf(modes, 16, L"0x%lX", static_cast<unsigned long>(info.dwModeFlags));
        Note(L"GetBandInfo(0, DBIF_VIEWMODE_VERTICAL) -> " + HResultText(hr) + L": min " +
             PointText(info.ptMinSize) + L", max " + PointText(info.ptMaxSize) + L", step " +
             PointText(info.ptIntegral) + L", ideal " + PointText(info.ptActual) + L", title \"" +
             (info.dwMask & DBIM_TITLE ? info.wszTitle : L"") + L"\", modes " + modes +
             (info.dwMask & DBIM_BKCOLOR ? L", own background" : L", default background"));
    }
    info_ = info;
}

HRESULT HostedBand::Show(bool show) {
    if (!deskBand_) return E_UNEXPECTED;
    const HRESULT hr = deskBand_->ShowDW(show ? TRUE : FALSE);
    Note(L"ShowDW(" + Flag(show) + L") -> " + HResultText(hr));
    if (SUCCEEDED(hr)) shown_ = show;
    return hr;
}

HRESULT HostedBand::Activate(bool activate, MSG* message) {
    if (!inputObject_) return E_NOINTERFACE;
    const HRESULT hr = inputObject_->UIActivateIO(activate ? TRUE : FALSE, message);
    Note(L"UIActivateIO(" + Flag(activate) + L", " + MessageText(message) + L") -> " + HResultText(hr));
    return hr;
}

bool HostedBand::HasFocus() const { return inputObject_ && inputObject_->HasFocusIO() == S_OK; }

bool HostedBand::TranslateAccelerator(MSG& message) {
    if (!HasFocus()) return false;
    return inputObject_->TranslateAcceleratorIO(&message) == S_OK;
}

void HostedBand::Close(CloseOrder order) {
    if (!deskBand_) return;
    // Keep the object alive through its own calls, whatever it releases meanwhile.
    const com::ComPtr<IUnknown> band = band_;
    Note(L"ShowDW(FALSE) -> " + HResultText(deskBand_->ShowDW(FALSE)));
    shown_ = false;
    if (order == CloseOrder::kWindowFirst) {
        const HWND window = Window();
        const bool destroyed = window && ::DestroyWindow(window);
        Note(std::wstring(L"the band's window ") + (destroyed ? L"destroyed" : L"could not be destroyed"));
    }
    if (order != CloseOrder::kWithoutCloseDW) Note(L"CloseDW(0) -> " + HResultText(deskBand_->CloseDW(0)));
    Note(L"SetSite(NULL) -> " + HResultText(withSite_->SetSite(nullptr)));
    Release();
}

void HostedBand::Release() noexcept {
    inputObject_.reset();
    withSite_.reset();
    deskBand_.reset();
    band_.reset();
    shown_ = false;
    info_ = DESKBANDINFO{};
}

HWND HostedBand::Window() const {
    HWND window = nullptr;
    if (!deskBand_ || FAILED(deskBand_->GetWindow(&window))) return nullptr;
    return window;
}

std::wstring HostedBand::Title() const {
    if (!(info_.dwMask & DBIM_TITLE)) return {};
    return info_.wszTitle;
}

}  // namespace pelmora::bandhost
