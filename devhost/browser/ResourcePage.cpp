#include "browser/ResourcePage.h"

#include <urlmon.h>

#include <cwctype>
#include <vector>

#include "framework/win/Ansi.h"
#include "framework/win/SystemErrorText.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::browser {

namespace {

constexpr wchar_t kScheme[] = L"res://";
constexpr size_t kSchemeLength = sizeof(kScheme) / sizeof(kScheme[0]) - 1;
constexpr wchar_t kErrorTitle[] = L"The page cannot be displayed";

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// %XX becomes the character XX; a '%' without two hex digits stays as it is.
std::wstring PercentDecoded(const std::wstring& text) {
    std::wstring decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded += static_cast<wchar_t>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

// A resource name or type as FindResource takes it. Digits are a number; anything else
// is a string, which FindResource itself reads as a number when it starts with '#'.
class ResourceName {
public:
    explicit ResourceName(std::wstring text) : text_(std::move(text)) {
        if (text_.empty() || text_.size() > 5) return;
        unsigned long value = 0;
        for (const wchar_t c : text_) {
            if (c < L'0' || c > L'9') return;
            value = value * 10 + static_cast<unsigned long>(c - L'0');
        }
        if (value >= 1 && value <= 0xFFFF) number_ = static_cast<WORD>(value);
    }
    [[nodiscard]] const wchar_t* get() const noexcept { return number_ ? MAKEINTRESOURCEW(number_) : text_.c_str(); }
    [[nodiscard]] bool IsHtmlType() const noexcept { return number_ == 23 || text_ == L"#23"; }

private:
    std::wstring text_;
    WORD number_ = 0;
};

std::wstring HexStatus(HRESULT status) {
    wchar_t text[16] = {};
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(status));
    return text;
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        switch (c) {
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'&': escaped += L"&amp;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

PageLoad Failed(const std::wstring& url, HRESULT status, const std::wstring& reason) {
    return PageLoad{ErrorDocument(url, status, reason), status};
}

// One reading of the URL: which module, which type, which name.
struct ResourceAddress {
    std::wstring module;
    std::wstring type;  // empty: RT_HTML
    std::wstring name;
};

enum class Outcome { kLoaded, kNoModule, kNoResource };

Outcome ReadResource(const ResourceAddress& address, std::string& bytes, DWORD& moduleError) {
    win::UniqueModule module(::LoadLibraryExW(address.module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        moduleError = ::GetLastError();
        return Outcome::kNoModule;
    }
    const ResourceName name(address.name);
    const ResourceName type(address.type.empty() ? L"23" : address.type);
    HRSRC resource = ::FindResourceW(module.get(), name.get(), type.get());
    if (!resource) return Outcome::kNoResource;
    const DWORD size = ::SizeofResource(module.get(), resource);
    HGLOBAL loaded = ::LoadResource(module.get(), resource);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!data) return Outcome::kNoResource;
    bytes.assign(data, size);  // copied: the module is unmapped on return
    return Outcome::kLoaded;
}

PageLoad PageOf(const std::wstring& url, const ResourceAddress& address, std::string bytes) {
    PageDescription page;
    page.url = url;
    const ResourceName type(address.type.empty() ? L"23" : address.type);
    page.isHtml = type.IsHtmlType();
    if (page.isHtml) {
        const size_t end = bytes.find('\0');
        if (end != std::string::npos) bytes.resize(end);
        page.source = win::AnsiToWide(bytes);
        page.title = HtmlTitle(page.source);
    }
    if (page.title.empty()) page.title = url;
    return PageLoad{page, S_OK};
}

}  // namespace

bool IsResUrl(const std::wstring& url) {
    if (url.size() < kSchemeLength) return false;
    for (size_t i = 0; i < kSchemeLength; ++i)
        if (std::towlower(url[i]) != kScheme[i]) return false;
    return true;
}

PageLoad LoadResPage(const std::wstring& url) {
    if (!IsResUrl(url)) return Failed(url, INET_E_INVALID_URL, L"The URL is not a res: URL.");
    const std::wstring rest = PercentDecoded(url.substr(kSchemeLength));
    const size_t last = rest.rfind(L'/');
    if (last == std::wstring::npos || last == 0 || last + 1 == rest.size())
        return Failed(url, INET_E_INVALID_URL, L"The URL names no module and resource.");

    // The module reaches up to the last '/' (an HTML resource), or, when no module is
    // there, up to the '/' before (with the type between).
    std::vector<ResourceAddress> readings = {{rest.substr(0, last), L"", rest.substr(last + 1)}};
    const size_t before = last > 0 ? rest.rfind(L'/', last - 1) : std::wstring::npos;
    if (before != std::wstring::npos && before > 0 && before + 1 < last)
        readings.push_back({rest.substr(0, before), rest.substr(before + 1, last - before - 1), rest.substr(last + 1)});

    DWORD firstModuleError = ERROR_SUCCESS;
    for (size_t i = 0; i < readings.size(); ++i) {
        std::string bytes;
        DWORD moduleError = ERROR_SUCCESS;
        switch (ReadResource(readings[i], bytes, moduleError)) {
        case Outcome::kLoaded:
            return PageOf(url, readings[i], std::move(bytes));
        case Outcome::kNoResource:
            return Failed(url, INET_E_RESOURCE_NOT_FOUND,
                          L"The module \"" + readings[i].module + L"\" has no resource \"" + readings[i].name +
                              L"\" of type " + (readings[i].type.empty() ? L"23 (HTML)" : readings[i].type) + L".");
        case Outcome::kNoModule:
            if (i == 0) firstModuleError = moduleError;
            break;
        }
    }
    return Failed(url, INET_E_RESOURCE_NOT_FOUND,
                  L"The module \"" + readings[0].module + L"\" cannot be loaded: " +
                      win::SystemErrorText(firstModuleError));
}

PageDescription ErrorDocument(const std::wstring& url, HRESULT status, const std::wstring& reason) {
    PageDescription page;
    page.url = url;
    page.title = kErrorTitle;
    page.source = std::wstring(L"<html><head><title>") + kErrorTitle + L"</title></head>\r\n<body>\r\n<h1>" +
                  kErrorTitle + L"</h1>\r\n<p>" + Escaped(reason) + L"</p>\r\n<p>Address: " + Escaped(url) +
                  L"</p>\r\n<p>Status: " + HexStatus(status) + L"</p>\r\n</body></html>\r\n";
    return page;
}

std::wstring HtmlTitle(const std::wstring& html) {
    std::wstring lower = html;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const size_t open = lower.find(L"<title");
    if (open == std::wstring::npos) return {};
    const size_t start = lower.find(L'>', open);
    if (start == std::wstring::npos) return {};
    const size_t end = lower.find(L"</title", start);
    if (end == std::wstring::npos) return {};
    std::wstring title;
    bool blank = false;
    for (size_t i = start + 1; i < end; ++i) {
        if (std::iswspace(html[i])) {
            blank = !title.empty();
            continue;
        }
        if (blank) title += L' ';
        blank = false;
        title += html[i];
    }
    return title;
}

}  // namespace pelmora::browser
