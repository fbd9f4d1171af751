#pragma once
// The development host: plays Internet Explorer's frame for one Explorer Bar. It owns
// the frame window, the browser stand-in (whose get_HWND is the frame), the band site
// and the band, and keeps the transcript:
//   - the bar is created through COM from its registration (LoadBar), or handed in
//     (LoadBand); it is sited, sized from its band info and shown with ShowDW;
//   - View > Explorer Bar shows and hides it (ShowDW), as the browser's menu does;
//   - a click into the band that does not have the focus activates it (UIActivateIO),
//     Tab from the frame's controls moves into it, and key messages go to its
//     TranslateAcceleratorIO while HasFocusIO answers S_OK (PreTranslate, which every
//     message loop of the host runs);
//   - closing runs ShowDW(FALSE), CloseDW, SetSite(NULL), lets the bar go, calls
//     CoFreeUnusedLibraries and reports whether COM unloaded the bar's module;
//   - the transcript follows the browser's events and alerts, the band's list box
//     (the list of attached scripts), the product's log and the host's own calls.
#include <windows.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "bandhost/BandSite.h"
#include "bandhost/BarRegistration.h"
#include "bandhost/FrameWindow.h"
#include "bandhost/HostTranscript.h"
#include "bandhost/HostedBand.h"
#include "bandhost/ListBoxWatch.h"
#include "bandhost/LogTail.h"
#include "browser/WebBrowser.h"

namespace pelmora::bandhost {

struct HostOptions {
    RECT frameRect{10, 10, 1250, 1000};
    bool visible = true;
    // Closing the window ends the thread's message loop (the interactive host).
    bool quitOnClose = false;
    // The band's width; 0 takes the bar's BarSize, else the band's ideal width.
    int bandWidth = 0;
    // The band's list box the transcript follows; 0 follows its first list box.
    int listBoxId = 0;
    // Where the product's log is; empty follows HKCU\SOFTWARE\Halvenne\Pelmora
    // "ScriptLocation".
    std::function<std::wstring()> locateLog;
    // Each dialog the band opens gets a line of the transcript; with this set it is
    // also closed again (a tour has nobody to answer it).
    bool dismissDialogs = false;
    // Each line also goes into the window's transcript pane; a run of thousands of
    // actions leaves it out, since every line there costs a repaint.
    bool transcriptPane = true;
};

class BandHost final : private FrameEvents {
public:
    BandHost();
    ~BandHost();
    BandHost(const BandHost&) = delete;
    BandHost& operator=(const BandHost&) = delete;

    [[nodiscard]] bool Open(const HostOptions& options);
    [[nodiscard]] bool IsOpen() const noexcept { return frame_.Handle() != nullptr; }

    // Creates the registered bar in-process through COM and sites it (not shown yet).
    HRESULT LoadBar(const ExplorerBar& bar);
    // Sites a band object; name is its menu item (the band's title when empty).
    HRESULT LoadBand(IUnknown* band, const std::wstring& name);
    HRESULT ShowBand(bool show);
    void ToggleBand();
    [[nodiscard]] bool IsBandShown() const noexcept { return band_.IsShown(); }
    // The closing sequence and the unload report; nothing without a band.
    void CloseBand(CloseOrder order = CloseOrder::kBrowser);
    // CoFreeUnusedLibraries again, reporting whether the closed band's DLL went.
    void FreeUnusedLibraries();
    // After CloseBand: the bar LoadBar last created, created, sited and shown again.
    HRESULT ReopenBand();
    // With this on, the site answers the band's OnFocusChangeIS by activating it (or
    // deactivating it) with UIActivateIO inside that call, as a browser site may.
    void SetFocusAnswer(bool answer) noexcept { focusAnswer_ = answer; }

    HRESULT Navigate(const std::wstring& url);
    HRESULT Back();

    // The host's part of every message loop; true when the message was handled.
    bool PreTranslate(MSG& message);
    void PumpPending();
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
    void PumpFor(int milliseconds);
    // The timer's work at once: page clocks, page pane, list box, log, dialogs.
    void Poll();

    // A PNG of the frame window as it is on the screen; size gets its pixel size.
    HRESULT SaveScreenshot(const std::wstring& path, SIZE* size = nullptr);

    // The band's descendant with this control id, or none.
    [[nodiscard]] HWND FindBandControl(int id) const;
    // The list box the transcript follows (found now if need be), or none.
    HWND FollowedListBox();
    // Follows the band's control with this id from now on; 0: the first list box.
    void FollowListBox(int id);

    // Called at every poll, also inside the modal loops of dialogs the band opens,
    // before dialogs are dismissed: where a tour answers a dialog.
    void SetPollListener(std::function<void()> listener) { pollListener_ = std::move(listener); }
    // A dialog somebody answers: it is still noted, but not cancelled while kept.
    void KeepDialog(HWND dialog) { keptDialogs_.insert(dialog); }
    // Cancels the kept dialogs that are still open and keeps none from now on.
    void ReleaseDialogs();

    // Hears each transcript line as it is added, after the frame's pane.
    void SetLineListener(HostTranscript::Listener listener) { lineListener_ = std::move(listener); }

    [[nodiscard]] HWND FrameHandle() const noexcept { return frame_.Handle(); }
    [[nodiscard]] FrameWindow& Frame() noexcept { return frame_; }
    [[nodiscard]] HostTranscript& Transcript() noexcept { return transcript_; }
    [[nodiscard]] browser::WebBrowser& Browser() noexcept { return *browser_.get(); }
    [[nodiscard]] HostedBand& Band() noexcept { return band_; }
    [[nodiscard]] IUnknown* Site() const noexcept { return static_cast<IOleWindow*>(site_.get()); }

private:
    // The thread's shown windows above every other program's, in their own order.
    void RaiseThreadWindows();
    void OnAddressEntered(const std::wstring& url) override;
    void OnBack() override;
    void OnToggleBand() override { ToggleBand(); }
    void OnBandPaneSized() override { PlaceBand(); }
    void OnTick() override { Poll(); }
    void OnFrameClosing() override { CloseBand(); }

    void Note(const std::wstring& text);
    void PlaceBand();
    int BandWidth() const;
    void UpdateBandMenu();
    void RefreshPage();
    void AdvanceClocks();
    void WatchListBox();
    void WatchDialogs();
    void ReportUnload(const std::wstring& module);

    HostOptions options_;
    HostTranscript transcript_;
    HostTranscript::Listener lineListener_;
    std::function<void()> pollListener_;
    std::set<HWND> keptDialogs_;
    std::unique_ptr<LogTail> logTail_;
    com::ComPtr<browser::WebBrowser> browser_;
    FrameWindow frame_;
    com::ComPtr<BandSite> site_;
    HostedBand band_{transcript_};
    ListBoxWatch listWatch_;
    int listBoxId_ = 0;
    int preferredWidth_ = 0;
    ExplorerBar bar_;
    bool loadedBar_ = false;
    bool focusAnswer_ = false;
    bool answeringFocus_ = false;  // UIActivateIO running from an answer
    std::wstring bandName_;
    std::wstring bandModule_;
    std::wstring closedModule_;  // the DLL of the band closed last
    std::wstring shownUrl_;
    ULONGLONG lastTick_ = 0;
    struct SeenDialog {
        HWND window;
        ULONGLONG since;
    };
    std::vector<SeenDialog> dialogs_;
};

}  // namespace pelmora::bandhost
