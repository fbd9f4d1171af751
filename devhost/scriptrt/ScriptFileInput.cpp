#include "ScriptFileInput.h"

#include <shlwapi.h>

#include <climits>
#include <new>
#include <string_view>

#include "ScriptRuntimeErrors.h"
#include "framework/win/Ansi.h"
#include "framework/win/HResult.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::scriptrt {

namespace {

HRESULT ReadWholeFile(const std::wstring& path, std::string& bytes) {
    win::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return win::HResultFromLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return win::HResultFromLastError();
    if (size.QuadPart > kMaxScriptFileBytes) return kScriptFileTooLarge;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return win::HResultFromLastError();
    bytes.resize(read);
    return S_OK;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool ReaderDetectsEncoding(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF") || StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF"))
        return true;
    // Only the lower-case form is a declaration; "<?XML" is a processing instruction.
    return StartsWith(bytes, "<?xml") && bytes.size() > 5 &&
           (bytes[5] == ' ' || bytes[5] == '\t' || bytes[5] == '\r' || bytes[5] == '\n');
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string result(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
    return result;
}

HRESULT MakeMemoryStream(const void* data, size_t size, com::ComPtr<IStream>& stream) {
    if (size > UINT_MAX) return kScriptFileTooLarge;
    stream = com::ComPtr<IStream>::Attach(
        ::SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size)));
    return stream ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT OpenScriptFileInput(const std::wstring& path, com::ComPtr<IStream>& stream) noexcept {
    try {
        std::string bytes;
        PELMORA_RETURN_IF_FAILED(ReadWholeFile(path, bytes));
        if (ReaderDetectsEncoding(bytes)) return MakeMemoryStream(bytes.data(), bytes.size(), stream);
        // ANSI text goes to the reader as UTF-8 with its byte-order mark: Wine's reader
        // corrupts memory on UTF-16 input of a few kilobytes.
        const std::string text = "\xEF\xBB\xBF" + ToUtf8(win::AnsiToWide(bytes));
        return MakeMemoryStream(text.data(), text.size(), stream);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::scriptrt
