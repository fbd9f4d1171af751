// The twelve icon resources, as the image lists and the tree controls load them, and a
// screenshot of all of them for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "bandhost/Screenshot.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"
#include "resources/resource.h"
#include "ui/ImageLists.h"
#include "ui/UiTestSupport.h"

namespace pelmora {
namespace {

struct IconInfo {
    int id;
    const wchar_t* picture;
};

const IconInfo kIcons[] = {
    {IDI_SCRIPT, L"scroll+gear"},     {IDI_WINDOW, L"window"},         {IDI_FOLDER_OPEN, L"open folder"},
    {IDI_FOLDER_CLOSED, L"folder"},   {IDI_CHECK_FOLDER_MARKED, L"dim ticked"},
    {IDI_CHECK_FOLDER_CLEAR, L"dim empty"}, {IDI_BLANK, L"blank"},   {IDI_CHECK_CHECKED, L"ticked"},
    {IDI_CHECK_UNCHECKED, L"empty"},  {IDI_GLOBE, L"globe"},           {IDI_FOLDER_UP, L"folder up"},
    {IDI_ARROW_UP, L"arrow up"},
};

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD iconId;
};
struct GroupIconDirectory {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

const void* LoadResourceData(const wchar_t* type, int id, DWORD& size) {
    const HMODULE module = ui::CurrentModuleInstance();
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    size = ::SizeofResource(module, found);
    return ::LockResource(::LoadResource(module, found));
}

// A 32-bit top-down DIB section with a memory context, for drawing and reading pixels.
class PixelCanvas {
public:
    PixelCanvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~PixelCanvas() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    [[nodiscard]] bool valid() const { return bits_ != nullptr; }
    [[nodiscard]] HDC dc() const { return dc_; }
    [[nodiscard]] DWORD pixel(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
    void Fill(COLORREF colour) {
        const HBRUSH brush = ::CreateSolidBrush(colour);
        const RECT all{0, 0, width_, height_};
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

// Pixels of the icon drawn at 32 x 32: the same on black and on white means opaque.
std::vector<DWORD> OpaquePixels(int id, int& opaqueCount) {
    const HICON icon = ::LoadIconW(ui::CurrentModuleInstance(), MAKEINTRESOURCEW(id));
    PixelCanvas onBlack(32, 32), onWhite(32, 32);
    onBlack.Fill(RGB(0, 0, 0));
    onWhite.Fill(RGB(255, 255, 255));
    ::DrawIconEx(onBlack.dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    ::DrawIconEx(onWhite.dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    std::vector<DWORD> pixels;
    opaqueCount = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool opaque = onBlack.pixel(x, y) == onWhite.pixel(x, y);
            opaqueCount += opaque ? 1 : 0;
            pixels.push_back(opaque ? onBlack.pixel(x, y) : 0xFF000000);
        }
    }
    return pixels;
}

TEST(IconResources, EachIsOneThirtyTwoPixelSixteenColourImage) {
    for (const auto& icon : kIcons) {
        SCOPED_TRACE(icon.id);
        DWORD size = 0;
        const auto* group = static_cast<const GroupIconDirectory*>(LoadResourceData(RT_GROUP_ICON, icon.id, size));
        ASSERT_NE(group, nullptr);
        ASSERT_EQ(group->count, 1);
        const GroupIconEntry& entry = group->entries[0];
        EXPECT_EQ(entry.width, 32);
        EXPECT_EQ(entry.height, 32);
        EXPECT_EQ(entry.colourCount, 16);
        EXPECT_EQ(entry.bitCount, 4);

        const auto* image = static_cast<const BITMAPINFOHEADER*>(LoadResourceData(RT_ICON, entry.iconId, size));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->biWidth, 32);
        EXPECT_EQ(image->biHeight, 64) << "image and mask";
        EXPECT_EQ(image->biBitCount, 4);
    }
}

TEST(IconResources, BlankIsFullyTransparentAndEveryOtherIsADistinctPicture) {
    std::vector<std::vector<DWORD>> pictures;
    for (const auto& icon : kIcons) {
        SCOPED_TRACE(icon.id);
        int opaque = 0;
        pictures.push_back(OpaquePixels(icon.id, opaque));
        if (icon.id == IDI_BLANK) {
            EXPECT_EQ(opaque, 0);
        } else {
            EXPECT_GT(opaque, 32 * 32 / 4) << "too little drawn";
        }
    }
    for (size_t i = 0; i < pictures.size(); ++i) {
        for (size_t j = i + 1; j < pictures.size(); ++j) {
            EXPECT_NE(pictures[i], pictures[j]) << kIcons[i].id << " and " << kIcons[j].id << " look the same";
        }
    }
}

// A window showing every icon at 32 x 32 above its 16 x 16 image-list form, with its id.
class IconSheet final : public ui::Window {
public:
    static constexpr int kCell = 96;
    static constexpr int kColumns = 6;
    static constexpr int kWidth = kCell * kColumns;
    static constexpr int kHeight = kCell * 2;
    static constexpr COLORREF kBackground = RGB(208, 208, 255);

    bool Open() {
        for (const auto& icon : kIcons) lists_.AddIcon(IMAGE_LIST_NORMAL, icon.id);
        static ui::WindowClass sheetClass(L"IconSheetTestWindow");
        RECT rect{40, 40, 40 + kWidth, 40 + kHeight};
        ::AdjustWindowRectEx(&rect, WS_POPUP | WS_BORDER, FALSE, 0);
        return Create(sheetClass, 0, L"Pelmora icons", WS_POPUP | WS_BORDER | WS_VISIBLE, rect, nullptr);
    }

    static RECT Cell(size_t index) {
        const int left = static_cast<int>(index % kColumns) * kCell;
        const int top = static_cast<int>(index / kColumns) * kCell;
        return RECT{left, top, left + kCell, top + kCell};
    }

private:
    bool HandleMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message != WM_PAINT) return false;
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(Handle(), &paint);
        const HBRUSH background = ::CreateSolidBrush(kBackground);
        const RECT all{0, 0, kWidth, kHeight};
        ::FillRect(dc, &all, background);
        ::DeleteObject(background);
        ::SetBkMode(dc, TRANSPARENT);
        const HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        for (size_t i = 0; i < std::size(kIcons); ++i) {
            const RECT cell = Cell(i);
            const HICON icon = ::LoadIconW(ui::CurrentModuleInstance(), MAKEINTRESOURCEW(kIcons[i].id));
            ::DrawIconEx(dc, cell.left + 8, cell.top + 8, icon, 32, 32, 0, nullptr, DI_NORMAL);
            ::ImageList_Draw(lists_.GetList(IMAGE_LIST_NORMAL)->Get(),
                             lists_.IndexOf(IMAGE_LIST_NORMAL, kIcons[i].id), dc, cell.left + 56, cell.top + 16,
                             ILD_TRANSPARENT);
            const std::wstring label = std::to_wstring(kIcons[i].id) + L" " + kIcons[i].picture;
            ::TextOutW(dc, cell.left + 6, cell.top + 52, label.c_str(), static_cast<int>(label.size()));
        }
        ::SelectObject(dc, oldFont);
        ::EndPaint(Handle(), &paint);
        result = 0;
        return true;
    }

    CImageLists lists_;
};

TEST(IconResources, ScreenshotOfAllIconsShowsEveryPicture) {
    IconSheet sheet;
    ASSERT_TRUE(sheet.Open());
    ::UpdateWindow(sheet.Handle());
    test::PumpFor(200);

    bandhost::Picture shot;
    ASSERT_EQ(bandhost::CaptureWindow(sheet.Handle(), shot), S_OK);
    const std::wstring path = test::ProgramDirectory() + L"\\..\\icons-screenshot.png";
    EXPECT_EQ(bandhost::WritePng(shot, path), S_OK);
    EXPECT_TRUE(test::FileExists(path));
    // The cells are in client coordinates; the picture holds the border too.
    RECT frame{};
    ::GetWindowRect(sheet.Handle(), &frame);
    POINT client{0, 0};
    ::ClientToScreen(sheet.Handle(), &client);
    const auto pixel = [&](int x, int y) {
        return bandhost::ColourAt(shot, x + client.x - frame.left, y + client.y - frame.top);
    };

    const COLORREF background = IconSheet::kBackground;
    for (size_t i = 0; i < std::size(kIcons); ++i) {
        SCOPED_TRACE(kIcons[i].id);
        const RECT cell = IconSheet::Cell(i);
        int drawn32 = 0, drawn16 = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) drawn32 += pixel(cell.left + 8 + x, cell.top + 8 + y) != background;
        }
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) drawn16 += pixel(cell.left + 56 + x, cell.top + 16 + y) != background;
        }
        if (kIcons[i].id == IDI_BLANK) {
            EXPECT_EQ(drawn32, 0);
            EXPECT_EQ(drawn16, 0);
        } else {
            EXPECT_GT(drawn32, 32 * 32 / 4);
            EXPECT_GT(drawn16, 16 * 16 / 4);
        }
    }
}

}  // namespace
}  // namespace pelmora
