#pragma once
// Hover help for the controls of one window. The owner hands every message of its own
// window to RelayEvent; when the pointer rests over a control for 150 ms, a small
// bordered box shows that control's text below the pointer. A click, a key or leaving
// the controls hides it. Watching the owner's messages rather than subclassing the
// controls makes disabled controls show their text too.
#include <windows.h>

#include <map>
#include <string>

#include "framework/ui/Window.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora {

class CPopupText final : public ui::Window {
public:
    static constexpr UINT_PTR kHoverTimer = 1;
    static constexpr UINT kHoverDelayMs = 150;

    CPopupText();
    ~CPopupText() override;

    // Creates the popup window, hidden, at (x, y) and owned by owner, whose child
    // controls it watches. False when owner is none, the window exists, or creation fails.
    bool Create(int x, int y, HWND owner) noexcept;
    // Registers (or replaces) the text shown for a control id. Lines break at "\n".
    void SetText(UINT controlId, std::wstring text);
    // One message of the owner's window, with its time and screen cursor position.
    void RelayEvent(const MSG& message) noexcept;

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnHandlerFailed(UINT message) noexcept override;

    [[nodiscard]] HWND ChildFromPoint(POINT screenPoint) const noexcept;
    void OnPointerMoved(POINT screenPoint) noexcept;
    void HideAndStopTimer() noexcept;
    void ShowPendingText();
    void PlaceForText(const wchar_t* text) noexcept;
    void Paint();
    [[nodiscard]] HFONT Font() const noexcept;

    int horizontalMargin_ = 4;
    int verticalMargin_ = 4;
    std::map<UINT, std::wstring> texts_;
    HWND owner_ = nullptr;
    HWND currentControl_ = nullptr;
    UINT pendingId_ = 0;
    win::UniqueGdiObject font_;
};

}  // namespace pelmora
