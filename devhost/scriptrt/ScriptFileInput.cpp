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
        const std::wstring text = L"\xFEFF" + win::AnsiToWide(bytes);
        return MakeMemoryStream(text.data(), text.size() * sizeof(wchar_t), stream);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::scriptrt
