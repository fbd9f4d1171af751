// The development host: plays Internet Explorer's frame for an Explorer Bar.
//
//   bandhost [--clsid {CLSID}] [--script TOUR] [--list-box ID] [--width PIXELS] [URL]
//   bandhost [--clsid {CLSID}] --soak SEED STEPS SAMPLES [--skip KIND,...] [--transcript]
//
// Finds the vertical Explorer Bar as the browser does (the only one registered, or
// the first of several; --clsid names one), creates it through COM, shows it and
// navigates to URL. Without --script it waits for a person at the window; with it, it
// runs the tour (see bandhost/TourScript.h) and closes. The transcript goes to the
// standard output as it grows. With --soak it runs STEPS random actions from the seed
// SEED with the sample scripts of the folder SAMPLES (see bandhost/SoakRunner.h) and
// prints only the soak's figures, and its failure if one invariant broke (with
// --transcript also the transcript, to follow a replay; --skip leaves those kinds of
// action out).
// Exit codes: 0 done, every expectation met; 1 a tour step failed or an invariant broke; 2 bad arguments or
// a tour that cannot be read or parsed; 3 no bar, or the bar could not be created.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>

#include <exception>
#include <string>
#include <vector>

#include "bandhost/BandHost.h"
#include "bandhost/BarRegistration.h"
#include "bandhost/SoakRunner.h"
#include "bandhost/TourRunner.h"
#include "bandhost/TourScript.h"
#include "framework/win/SystemErrorText.h"

namespace {

using namespace pelmora::bandhost;

constexpr int kExitFailedStep = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoBar = 3;

void Print(const std::wstring& line) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    const std::wstring text = line + L"\n";
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct Arguments {
    std::wstring clsid;
    std::wstring script;
    std::wstring url;
    int listBoxId = 0;
    int width = 0;
    bool soak = false;
    bool transcript = false;  // the soak's transcript too, to follow a replay
    SoakOptions soakOptions;
};

// Decimal digits only, at most maxDigits of them.
bool ParseDigits(const std::wstring& text, size_t maxDigits, uint32_t& value) {
    if (text.empty() || text.size() > maxDigits) return false;
    uint32_t number = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + static_cast<uint32_t>(c - L'0');
    }
    value = number;
    return true;
}

bool ParseCount(const std::wstring& text, uint32_t& value) { return ParseDigits(text, 9, value); }

bool ParseNumberArgument(const std::wstring& text, int& value) {
    uint32_t number = 0;
    if (!ParseDigits(text, 5, number)) return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseArguments(int count, wchar_t** values, Arguments& arguments, std::wstring& error) {
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = values[i];
        const bool hasValue = i + 1 < count;
        if (argument == L"--clsid" && hasValue) {
            arguments.clsid = values[++i];
        } else if (argument == L"--soak" && i + 3 < count) {
            uint32_t seed = 0, steps = 0;
            if (!ParseCount(values[i + 1], seed) || !ParseCount(values[i + 2], steps) || steps == 0) {
                error = L"--soak needs a seed and a number of steps (up to 9 digits each) and the samples' folder";
                return false;
            }
            arguments.soak = true;
            arguments.soakOptions.seed = seed;
            arguments.soakOptions.steps = static_cast<int>(steps);
            arguments.soakOptions.samples = values[i + 3];
            i += 3;
        } else if (argument == L"--skip" && hasValue) {
            arguments.soakOptions.skip = values[++i];
        } else if (argument == L"--transcript") {
            arguments.transcript = true;
        } else if (argument == L"--script" && hasValue) {
            arguments.script = values[++i];
        } else if (argument == L"--list-box" && hasValue) {
            if (!ParseNumberArgument(values[++i], arguments.listBoxId)) {
                error = L"--list-box needs a control id";
                return false;
            }
        } else if (argument == L"--width" && hasValue) {
            if (!ParseNumberArgument(values[++i], arguments.width) || arguments.width == 0) {
                error = L"--width needs a width in pixels";
                return false;
            }
        } else if (argument.rfind(L"--", 0) == 0 || !arguments.url.empty()) {
            error = L"unexpected argument " + argument;
            return false;
        } else {
            arguments.url = argument;
        }
    }
    return true;
}

// The bar named by --clsid, or the registered vertical Explorer Bar.
bool ChooseBar(const Arguments& arguments, ExplorerBar& bar, std::wstring& error) {
    if (!arguments.clsid.empty()) {
        CLSID clsid{};
        if (!ParseClsid(arguments.clsid, clsid)) {
            error = L"--clsid needs a class id such as {EC3B8349-CAB2-4E10-AF31-69E1BA5031A0}";
            return false;
        }
        return ReadBarRegistration(clsid, bar, error);
    }
    std::vector<ExplorerBar> bars;
    const HRESULT hr = FindExplorerBars(bars);
    if (FAILED(hr)) {
        error = L"the component categories manager cannot list the Explorer Bars: " + HResultText(hr);
        return false;
    }
    if (bars.empty()) {
        error = L"no vertical Explorer Bar is registered (HKCR\\CLSID\\{...}\\Implemented Categories\\"
                L"{00021493-0000-0000-C000-000000000046}); register the bar's DLL with regsvr32";
        return false;
    }
    if (bars.size() > 1) {
        std::wstring names;
        for (const ExplorerBar& each : bars) names += L" " + ClsidText(each.clsid) + L" \"" + each.name + L"\"";
        Print(L"host: several Explorer Bars are registered:" + names + L"; taking the first (--clsid names one)");
    }
    bar = bars.front();
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr)) return {};
    ::PathRemoveFileSpecW(full);
    return full;
}

int RunHost(const Arguments& arguments) {
    std::vector<TourStep> steps;
    if (!arguments.script.empty()) {
        std::wstring text;
        std::wstring error;
        if (!ReadTextFile(arguments.script, text, error) || !ParseTour(text, steps, error)) {
            Print(L"bandhost: " + arguments.script + L": " + error);
            return kExitUsage;
        }
    }
    ExplorerBar bar;
    std::wstring error;
    if (!ChooseBar(arguments, bar, error)) {
        Print(L"bandhost: " + error);
        return kExitNoBar;
    }

    const bool tour = !arguments.script.empty();
    BandHost host;
    if (!arguments.soak || arguments.transcript) host.SetLineListener(Print);
    HostOptions options;
    options.quitOnClose = !tour && !arguments.soak;
    options.dismissDialogs = tour;  // the soak answers its dialogs itself
    options.transcriptPane = !arguments.soak;
    options.listBoxId = arguments.listBoxId;
    options.bandWidth = arguments.width;
    if (!host.Open(options)) {
        Print(L"bandhost: the host window cannot be created: " + pelmora::win::SystemErrorText(::GetLastError()));
        return kExitNoBar;
    }
    if (FAILED(host.LoadBar(bar)) || FAILED(host.ShowBand(true))) {
        host.CloseBand();
        return kExitNoBar;
    }
    if (!arguments.url.empty()) host.Navigate(arguments.url);

    int result = 0;
    if (arguments.soak) {
        SoakOptions soakOptions = arguments.soakOptions;
        soakOptions.print = Print;
        SoakRunner soak(host, soakOptions);
        result = soak.Run() ? kExitFailedStep : 0;
        host.CloseBand();
    } else if (tour) {
        TourRunner runner(host, FolderOf(arguments.script));
        const int failures = runner.Run(steps);
        host.CloseBand();
        host.Transcript().Flush();
        Print(L"tour: " + std::to_wstring(failures) + (failures == 1 ? L" step failed" : L" steps failed"));
        result = failures ? kExitFailedStep : 0;
    } else {
        ::SetForegroundWindow(host.FrameHandle());
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (host.PreTranslate(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        host.CloseBand();
        host.Transcript().Flush();
    }
    return result;
}

}  // namespace

int wmain(int count, wchar_t** values) {
    Arguments arguments;
    std::wstring error;
    if (!ParseArguments(count, values, arguments, error)) {
        Print(L"bandhost: " + error);
        Print(L"usage: bandhost [--clsid {CLSID}] [--script TOUR] [--list-box ID] [--width PIXELS] [URL]");
        Print(L"       bandhost [--clsid {CLSID}] --soak SEED STEPS SAMPLES [--skip KIND,...] [--transcript]");
        return kExitUsage;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return kExitNoBar;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    int result = kExitNoBar;
    try {
        result = RunHost(arguments);
    } catch (const std::exception&) {
        Print(L"bandhost: out of memory");
    }
    ::CoUninitialize();
    return result;
}
