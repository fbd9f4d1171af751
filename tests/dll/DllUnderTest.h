#pragma once
// Pelmora.dll as the tests meet it: the built file beside the test program, loaded
// into this process or handed to a registration tool in another one.
#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace pelmora::test {

inline std::wstring PelmoraDllPath() { return ProgramDirectory() + L"\\Pelmora.dll"; }

// The DLL loaded for the life of the object; statics run on load and on unload.
class LoadedDll {
public:
    explicit LoadedDll(const std::wstring& path = PelmoraDllPath())
        : module_(::LoadLibraryW(path.c_str())), error_(module_ ? 0 : ::GetLastError()) {}
    ~LoadedDll() {
        if (module_) ::FreeLibrary(module_);
    }
    LoadedDll(const LoadedDll&) = delete;
    LoadedDll& operator=(const LoadedDll&) = delete;

    [[nodiscard]] HMODULE get() const { return module_; }
    [[nodiscard]] DWORD error() const { return error_; }

    template <typename Fn>
    Fn Export(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name))) : nullptr;
    }

    // The path Windows records for the module, which is what registration writes.
    [[nodiscard]] std::wstring FileName() const {
        std::wstring path(32768, L'\0');
        const DWORD length = ::GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size()));
        path.resize(length);
        return path;
    }

private:
    HMODULE module_;
    DWORD error_;
};

using DllGetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT(WINAPI*)();
using DllRegisterServerFn = HRESULT(WINAPI*)();

// Runs a program with the given arguments and waits for it; its exit code, or
// (DWORD)-1 when it could not be started or did not finish within a minute.
inline DWORD RunProgram(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    ::CloseHandle(process.hThread);
    DWORD exitCode = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hProcess);
    return exitCode;
}

// The child of the process-exit test: sites a bar of the loaded DLL, keeps it, then
// ends the process ("end") or unloads the DLL first ("unload"). Any release of the site
// after that creates the file marker. Never returns.
int EndProcessHoldingASitedBar(const char* how, const char* marker);

inline std::wstring SystemProgram(const wchar_t* name) {
    wchar_t directory[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L"\\" + name;
}

}  // namespace pelmora::test
