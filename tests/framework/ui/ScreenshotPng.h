#pragma once
// What a person sees of a window: its rectangle copied from the screen, kept as
// 0x00RRGGBB pixels for checks and written as a PNG file with the platform's imaging
// component.
#include <windows.h>
#include <wincodec.h>

#include <string>
#include <vector>

#include "framework/com/ComPtr.h"

namespace pelmora::test {

struct Screenshot {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // top-down rows

    explicit Screenshot(HWND window) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        const HDC screen = ::GetDC(nullptr);
        const HDC memory = ::CreateCompatibleDC(screen);
        void* bits = nullptr;
        const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        if (bits && ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            ::GdiFlush();
            pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + static_cast<size_t>(width) * height);
            for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
        }
        ::SelectObject(memory, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
    }

    HRESULT SavePng(const std::wstring& path) const {
        if (pixels.empty()) return E_UNEXPECTED;
        com::ComPtr<IWICImagingFactory> factory;
        com::ComPtr<IWICStream> stream;
        com::ComPtr<IWICBitmapEncoder> encoder;
        com::ComPtr<IWICBitmapFrameEncode> frame;
        GUID format = GUID_WICPixelFormat32bppBGR;
        std::vector<DWORD> copy(pixels);  // WritePixels wants writable memory
        const UINT stride = static_cast<UINT>(width) * 4;
        HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        __uuidof(IWICImagingFactory), factory.put_void());
        if (SUCCEEDED(hr)) hr = factory->CreateStream(stream.put());
        if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
        if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
        if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.put(), nullptr);
        if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
        if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
        if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
        if (SUCCEEDED(hr) && format != GUID_WICPixelFormat32bppBGR) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
        if (SUCCEEDED(hr)) {
            hr = frame->WritePixels(static_cast<UINT>(height), stride, stride * static_cast<UINT>(height),
                                    reinterpret_cast<BYTE*>(copy.data()));
        }
        if (SUCCEEDED(hr)) hr = frame->Commit();
        if (SUCCEEDED(hr)) hr = encoder->Commit();
        return hr;
    }
};

}  // namespace pelmora::test
