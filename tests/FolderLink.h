#pragma once
// A real link to a folder, as a user's tools make one, removed again (the link only,
// never what it points at). On Windows a directory symbolic link; Wine's
// CreateSymbolicLink makes nothing, so there the system's own ln makes a Unix symbolic
// link, which Wine reports as a reparse point, as Windows does a link.
#include <windows.h>

#include <string>
#include <utility>

namespace pelmora::test {

class FolderLink {
public:
    FolderLink(std::wstring link, const std::wstring& target) : link_(std::move(link)) {
        std::string unixLink, unixTarget;
        if (UnixPath(link_, unixLink) && UnixPath(target, unixTarget)) {
            onWine_ = true;
            RunUnix(L"Z:\\bin\\ln", L"-s " + Wide(unixTarget) + L" " + Wide(unixLink));
            WaitFor([this] { return Made(); });
        } else {
            ::CreateSymbolicLinkW(link_.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2);
        }
    }
    ~FolderLink() {
        std::string unixLink;
        if (onWine_ && UnixPath(link_, unixLink)) {
            RunUnix(L"Z:\\bin\\rm", L"-f " + Wide(unixLink));
            WaitFor([this] { return ::GetFileAttributesW(link_.c_str()) == INVALID_FILE_ATTRIBUTES; });
        } else {
            ::RemoveDirectoryW(link_.c_str());
        }
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    // The link is there and reads as one.
    [[nodiscard]] bool Made() const {
        const DWORD attributes = ::GetFileAttributesW(link_.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

private:
    static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
    // The Unix path of a Windows path under Wine; false elsewhere (or for a non-ASCII path).
    static bool UnixPath(const std::wstring& path, std::string& out) {
        using Convert = char*(CDECL*)(LPCWSTR);
        const auto convert = reinterpret_cast<Convert>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (!convert) return false;
        char* converted = convert(path.c_str());
        if (!converted) return false;
        out = converted;
        ::HeapFree(::GetProcessHeap(), 0, converted);
        for (const char c : out) {
            if (static_cast<unsigned char>(c) >= 0x80 || c == ' ') return false;
        }
        return true;
    }
    static void RunUnix(const std::wstring& program, const std::wstring& arguments) {
        std::wstring command = program + L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process)) {
            return;
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }

    // Wine hands out no handle to wait on for a Unix process: its effect is awaited.
    template <typename Done>
    static void WaitFor(Done done) {
        for (int waited = 0; waited < 5000 && !done(); waited += 20) ::Sleep(20);
    }

    std::wstring link_;
    bool onWine_ = false;
};

}  // namespace pelmora::test
