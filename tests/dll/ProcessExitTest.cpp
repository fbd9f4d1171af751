// The DLL as a process leaves it: ended with a bar still sited, or unloaded first.
// The work runs in a child process of this program, which ends itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "DllUnderTest.h"
#include "Pelmora_h.h"

namespace pelmora::test {

namespace {

// The bar's class, as the type library declares it.
constexpr CLSID kBarClsid = __uuidof(IEBar);

// A band site that lives as long as the process. Once the child is done, any Release
// it hears leaves the marker file behind: that is the DLL letting go of it.
class MarkingSite final : public IOleWindow, public IInputObjectSite {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else if (IsEqualIID(iid, IID_IInputObjectSite)) {
            *out = static_cast<IInputObjectSite*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        if (watching) {
            const HANDLE file = ::CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        }
        return static_cast<ULONG>(::InterlockedDecrement(&refs_));
    }
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }

    HWND window = nullptr;
    const char* marker = nullptr;
    volatile bool watching = false;

private:
    LONG refs_ = 1;
};

MarkingSite g_site;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int EndProcessHoldingASitedBar(const char* how, const char* marker) {
    const HMODULE dll = ::LoadLibraryW(PelmoraDllPath().c_str());
    if (!dll) return 3;
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(dll, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(kBarClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return 4;
    }
    IObjectWithSite* bar = nullptr;
    const HRESULT created = factory->CreateInstance(nullptr, IID_IObjectWithSite, reinterpret_cast<void**>(&bar));
    factory->Release();
    if (FAILED(created)) return 5;
    g_site.window = ::CreateWindowExW(0, L"STATIC", L"band", WS_POPUP, 0, 0, 300, 600, nullptr, nullptr, nullptr,
                                      nullptr);
    g_site.marker = marker;
    if (!g_site.window || bar->SetSite(static_cast<IOleWindow*>(&g_site)) != S_OK) return 6;
    // The bar's form and the current-bar slot keep it: the browser's frame is still open.
    bar->Release();
    g_site.watching = true;
    if (std::strcmp(how, "unload") == 0) ::FreeLibrary(dll);
    ::ExitProcess(0);
}

namespace {

TEST(PelmoraProcessExit, EndingTheProcessReleasesNothingAndAnUnloadStillLetsGo) {
    struct Case {
        const char* how;
        bool siteReleased;
    };
    const Case cases[] = {
        {"end", false},    // other DLLs may be gone already: nothing is called
        {"unload", true},  // FreeLibrary: the orderly teardown lets the site go
    };
    TempDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        const std::wstring marker = folder / (std::wstring(c.how, c.how + std::strlen(c.how)) + L".released");
        wchar_t program[MAX_PATH + 1] = {};
        ASSERT_NE(0u, ::GetModuleFileNameW(nullptr, program, MAX_PATH));
        const std::wstring how(c.how, c.how + std::strlen(c.how));
        EXPECT_EQ(0u, RunProgram(program, L"--end-holding-a-bar " + how + L" \"" + marker + L"\""));
        EXPECT_EQ(c.siteReleased, Exists(marker));
    }
}

}  // namespace
}  // namespace pelmora::test
