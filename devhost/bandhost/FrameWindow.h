#pragma once
// The host's top-level window, laid out as a browser frame with an Explorer Bar:
//   a row with Back, the address box and Go;
//   on the left the band pane (the band site's window): the bar's title strip with a
//   close button, and below it the band's own window;
//   on the right the page pane (what the current page shows) over the transcript.
// Its menu has File > Close, View > Explorer Bar > <the bar> (checked while the band
// is shown) and Go > Back. The window only shows and asks; what a command does is the
// owner's (FrameEvents).
#include <windows.h>

#include <memory>
#include <string>

#include "framework/ui/Window.h"

namespace pelmora::bandhost {

class FrameEvents {
public:
    virtual void OnAddressEntered(const std::wstring& url) = 0;
    virtual void OnBack() = 0;
    virtual void OnToggleBand() = 0;
    // The band pane changed its size: place the band's window again.
    virtual void OnBandPaneSized() = 0;
    // About ten times a second.
    virtual void OnTick() = 0;
    // The window is about to be destroyed (the user closed it): close the band first.
    virtual void OnFrameClosing() = 0;

protected:
    ~FrameEvents() = default;
};

class FrameWindow final : public ui::Window {
public:
    // Ids of the frame's own controls and commands.
    static constexpr int kBackButton = 101;
    static constexpr int kAddressBox = 102;
    static constexpr int kGoButton = 103;
    static constexpr int kPagePane = 104;
    static constexpr int kTranscriptPane = 105;
    static constexpr LRESULT kTranscriptPaneChars = 64 * 1024;
    static constexpr int kBandPane = 106;
    static constexpr int kCloseCommand = 201;
    static constexpr int kBandCommand = 202;
    static constexpr int kBackCommand = 203;
    static constexpr int kTitleStripHeight = 22;

    FrameWindow() noexcept;
    ~FrameWindow() override;

    // quitOnDestroy ends the thread's message loop when the window goes.
    bool Open(FrameEvents* events, const RECT& rect, bool visible, bool quitOnDestroy);

    [[nodiscard]] HWND BandPane() const noexcept { return bandPane_; }
    [[nodiscard]] HWND AddressBox() const noexcept { return addressBox_; }
    [[nodiscard]] HWND PagePane() const noexcept { return pagePane_; }
    [[nodiscard]] HWND TranscriptPane() const noexcept { return transcriptPane_; }
    // The part of the band pane below the title strip, in the pane's coordinates.
    [[nodiscard]] RECT BandArea() const noexcept;

    // The band pane's width; 0 hides the pane.
    void SetBandPaneWidth(int width);
    void SetBandTitle(const std::wstring& title);
    // The View > Explorer Bar item: the bar's name, checked while the band is shown.
    void SetBandMenu(const std::wstring& name, bool checked, bool enabled);
    void SetAddress(const std::wstring& url);
    void SetPageText(const std::wstring& text);
    void AppendTranscriptLine(const std::wstring& line);
    void SetBackEnabled(bool enabled);

    // The frame's own keys: Enter in the address box navigates, Alt+Left goes back.
    // True when the message was one of them.
    bool PreTranslate(const MSG& message);

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void CreateChildren();
    void Layout();
    void OnCommand(int id);
    std::wstring AddressText() const;

    FrameEvents* events_ = nullptr;
    bool quitOnDestroy_ = false;
    HFONT font_ = nullptr;
    HMENU bandMenu_ = nullptr;
    HWND backButton_ = nullptr;
    HWND addressBox_ = nullptr;
    HWND goButton_ = nullptr;
    HWND pageLabel_ = nullptr;
    HWND pagePane_ = nullptr;
    HWND transcriptLabel_ = nullptr;
    HWND transcriptPane_ = nullptr;
    HWND bandPane_ = nullptr;
    int bandPaneWidth_ = 0;
    std::wstring bandTitle_;
    class BandPaneWindow;
    std::unique_ptr<BandPaneWindow> pane_;
};

}  // namespace pelmora::bandhost
