#pragma once
// The band object as the frame drives it, in Internet Explorer's order: its site
// (SetSite), its window (GetWindow), its size and title (GetBandInfo, asked in the
// vertical view mode), shown and hidden (ShowDW), activated (UIActivateIO), asked for
// the focus (HasFocusIO) and offered keys (TranslateAcceleratorIO), and closed
// (ShowDW(FALSE), CloseDW, SetSite(NULL), every reference let go). Each call but the
// focus and key questions, which come with every message, goes into the transcript
// with its result.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "bandhost/HostTranscript.h"
#include "framework/com/ComPtr.h"

namespace pelmora::bandhost {

// The orders in which the browser closes a band: its usual one; the band's window
// destroyed with the frame's before CloseDW; the site taken away without CloseDW.
enum class CloseOrder { kBrowser, kWindowFirst, kWithoutCloseDW };

class HostedBand {
public:
    explicit HostedBand(HostTranscript& transcript) noexcept : transcript_(transcript) {}
    ~HostedBand() { Close(); }
    HostedBand(const HostedBand&) = delete;
    HostedBand& operator=(const HostedBand&) = delete;

    // Takes the band (it must answer IDeskBand and IObjectWithSite), gives it the site
    // and reads its window and band info. A band that refuses the site is given
    // SetSite(NULL) and let go again.
    HRESULT Attach(IUnknown* band, IUnknown* site);
    [[nodiscard]] bool IsAttached() const noexcept { return static_cast<bool>(deskBand_); }

    HRESULT Show(bool show);
    [[nodiscard]] bool IsShown() const noexcept { return shown_; }
    // UIActivateIO; E_NOINTERFACE for a band without IInputObject.
    HRESULT Activate(bool activate, MSG* message);
    [[nodiscard]] bool HasFocus() const;
    // Offers a key message while the band has the focus; true when the band took it.
    bool TranslateAccelerator(MSG& message);
    void Close(CloseOrder order = CloseOrder::kBrowser);

    // The band's window as it answers now; none before Attach or after Close.
    [[nodiscard]] HWND Window() const;
    [[nodiscard]] const DESKBANDINFO& Info() const noexcept { return info_; }
    // The title from the band info; empty when the band gave none.
    [[nodiscard]] std::wstring Title() const;
    // The object itself (its identity), for the tests and the unload report.
    [[nodiscard]] IUnknown* Object() const noexcept { return band_.get(); }

private:
    void Note(const std::wstring& text);
    void ReadBandInfo();
    void Release() noexcept;

    HostTranscript& transcript_;
    com::ComPtr<IUnknown> band_;
    com::ComPtr<IDeskBand> deskBand_;
    com::ComPtr<IObjectWithSite> withSite_;
    com::ComPtr<IInputObject> inputObject_;
    bool shown_ = false;
    DESKBANDINFO info_{};
};

// "WM_KEYDOWN VK_TAB", "WM_LBUTTONDOWN" and the like, for the transcript.
std::wstring MessageText(const MSG* message);

}  // namespace pelmora::bandhost
