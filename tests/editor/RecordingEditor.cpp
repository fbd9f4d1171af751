// The editor ".WSC" files open with in the test prefix: instead of showing the file it
// appends one line to the file named by PELMORA_OPEN_RECORD (UTF-8):
//   <file as given>|<full path>|<working folder>|<show command>
// so that a test sees which file the shell handed over, from where, and how it was to
// be shown. Without the variable it records nothing.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t record[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"PELMORA_OPEN_RECORD", record, MAX_PATH)) return 2;
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments) return 3;
    const std::wstring file = count > 1 ? arguments[1] : L"";
    ::LocalFree(arguments);
    wchar_t full[MAX_PATH * 2] = {};
    if (!file.empty()) ::GetFullPathNameW(file.c_str(), MAX_PATH * 2, full, nullptr);
    wchar_t folder[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    ::GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    const std::string line =
        Utf8(file + L"|" + full + L"|" + folder + L"|" + std::to_wstring(show)) + "\n";
    const HANDLE out = ::CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(out);
    return wrote ? 0 : 5;
}
