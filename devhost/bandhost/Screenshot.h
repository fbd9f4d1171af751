#pragma once
// Pictures of the host window as a person sees it on the screen, saved as PNG files by
// the platform's imaging component (WIC). A file that cannot be written completely is
// removed again.
#include <windows.h>

#include <string>
#include <vector>

namespace pelmora::bandhost {

// Top-down rows of 24-bit BGR pixels, each row padded to four bytes.
struct Picture {
    UINT width = 0;
    UINT height = 0;
    UINT stride = 0;
    std::vector<BYTE> pixels;
};

// The screen's pixels under the window's rectangle (its frame and everything on it).
[[nodiscard]] HRESULT CaptureWindow(HWND window, Picture& picture);
[[nodiscard]] HRESULT WritePng(const Picture& picture, const std::wstring& path);
// The colour at x from the left and y from the top, as RGB() writes it; CLR_INVALID
// outside the picture.
[[nodiscard]] COLORREF ColourAt(const Picture& picture, int x, int y) noexcept;

}  // namespace pelmora::bandhost
