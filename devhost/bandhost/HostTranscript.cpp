#include "bandhost/HostTranscript.h"

#include <windows.h>

#include <cwchar>

namespace pelmora::bandhost {

void HostTranscript::Add(const std::wstring& kind, const std::wstring& text) {
    Flush();
    lines_.push_back(kind + L": " + text);
    if (listener_) listener_(lines_.back());
}

void HostTranscript::AddBrowserLine(const std::wstring& line) {
    const size_t blank = line.find(L' ');
    const std::wstring word = line.substr(0, blank);
    if (word == L"alert" || word == L"interval") {
        Add(word, blank == std::wstring::npos ? std::wstring() : line.substr(blank + 1));
    } else {
        Add(L"event", line);
    }
}

void HostTranscript::Flush() {
    // A polled source adds its own lines through Add; it is not asked again meanwhile.
    if (!poll_ || polling_) return;
    polling_ = true;
    try {
        poll_();
    } catch (...) {
        polling_ = false;
        throw;
    }
    polling_ = false;
}

size_t HostTranscript::Find(const std::wstring& text, size_t from) const {
    for (size_t i = from; i < lines_.size(); ++i)
        if (lines_[i].find(text) != std::wstring::npos) return i;
    return std::wstring::npos;
}

std::wstring HResultText(long hr) {
    switch (hr) {
    case S_OK: return L"S_OK";
    case S_FALSE: return L"S_FALSE";
    case E_NOTIMPL: return L"E_NOTIMPL";
    case E_NOINTERFACE: return L"E_NOINTERFACE";
    case E_POINTER: return L"E_POINTER";
    case E_FAIL: return L"E_FAIL";
    case E_INVALIDARG: return L"E_INVALIDARG";
    case E_OUTOFMEMORY: return L"E_OUTOFMEMORY";
    case E_UNEXPECTED: return L"E_UNEXPECTED";
    default: break;
    }
    wchar_t text[16] = {};
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace pelmora::bandhost
