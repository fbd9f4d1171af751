#include "bandhost/Screenshot.h"

#include <wincodec.h>

#include <memory>
#include <new>

#include "framework/com/ComPtr.h"
#include "framework/win/DeviceContext.h"
#include "framework/win/HResult.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::bandhost {

HRESULT CaptureWindow(HWND window, Picture& picture) {
    RECT rect{};
    if (!window || !::GetWindowRect(window, &rect)) return E_INVALIDARG;
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return E_INVALIDARG;

    const win::WindowDC screen(nullptr);
    if (!screen) return win::HResultFromLastError();
    const std::unique_ptr<HDC__, decltype(&::DeleteDC)> memory(::CreateCompatibleDC(screen.get()), ::DeleteDC);
    if (!memory) return win::HResultFromLastError();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as WIC takes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const win::UniqueGdiObject bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return win::HResultFromLastError();
    {
        const win::SelectedObject selected(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT))
            return win::HResultFromLastError();
        ::GdiFlush();
    }
    Picture captured;
    captured.width = static_cast<UINT>(width);
    captured.height = static_cast<UINT>(height);
    captured.stride = (captured.width * 3 + 3) & ~3u;
    const BYTE* first = static_cast<const BYTE*>(bits);
    captured.pixels.assign(first, first + static_cast<size_t>(captured.stride) * captured.height);
    picture = std::move(captured);
    return S_OK;
}

namespace {

HRESULT Encode(const Picture& picture, const std::wstring& path) {
    com::ComPtr<IWICImagingFactory> factory;
    PELMORA_RETURN_IF_FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IWICImagingFactory, factory.put_void()));
    com::ComPtr<IWICStream> stream;
    PELMORA_RETURN_IF_FAILED(factory->CreateStream(stream.put()));
    PELMORA_RETURN_IF_FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
    com::ComPtr<IWICBitmapEncoder> encoder;
    PELMORA_RETURN_IF_FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()));
    PELMORA_RETURN_IF_FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
    com::ComPtr<IWICBitmapFrameEncode> frame;
    com::ComPtr<IPropertyBag2> options;
    PELMORA_RETURN_IF_FAILED(encoder->CreateNewFrame(frame.put(), options.put()));
    PELMORA_RETURN_IF_FAILED(frame->Initialize(options.get()));
    PELMORA_RETURN_IF_FAILED(frame->SetSize(picture.width, picture.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    PELMORA_RETURN_IF_FAILED(frame->SetPixelFormat(&format));
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    PELMORA_RETURN_IF_FAILED(frame->WritePixels(picture.height, picture.stride,
                                                static_cast<UINT>(picture.pixels.size()),
                                                const_cast<BYTE*>(picture.pixels.data())));
    PELMORA_RETURN_IF_FAILED(frame->Commit());
    return encoder->Commit();
}

}  // namespace

COLORREF ColourAt(const Picture& picture, int x, int y) noexcept {
    if (x < 0 || y < 0 || static_cast<UINT>(x) >= picture.width || static_cast<UINT>(y) >= picture.height)
        return CLR_INVALID;
    const size_t at = static_cast<size_t>(y) * picture.stride + static_cast<size_t>(x) * 3;
    if (at + 3 > picture.pixels.size()) return CLR_INVALID;
    return RGB(picture.pixels[at + 2], picture.pixels[at + 1], picture.pixels[at]);
}

HRESULT WritePng(const Picture& picture, const std::wstring& path) {
    if (picture.width == 0 || picture.height == 0 ||
        picture.pixels.size() < static_cast<size_t>(picture.stride) * picture.height) {
        return E_INVALIDARG;
    }
    HRESULT hr = E_FAIL;
    try {
        hr = Encode(picture, path);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) ::DeleteFileW(path.c_str());  // the stream is closed by now
    return hr;
}

}  // namespace pelmora::bandhost
