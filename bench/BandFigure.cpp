// The band shown: the bar sited and shown with saved marks, against the least any band
// with this form does: create the same dialog and fill its two trees from a listing of
// the same folders. And the band left alone: what its thread costs while nothing happens.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>

#include "BenchData.h"
#include "Figures.h"
#include "Measure.h"
#include "TestSupport.h"
#include "component/BandSite.h"
#include "component/IEBar.h"
#include "framework/ui/TreeView.h"
#include "library/ScriptLocation.h"
#include "resources/resource.h"
#include "ui/ConfigWSC2.h"
#include "ui/ScriptStore.h"

namespace pelmora::bench {

namespace {

constexpr int kScriptsPerFolder = 20;

void HandlePending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// What the least band does: list a folder tree and insert each entry.
void ListInto(HWND tree, HTREEITEM parent, const std::wstring& directory) {
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW((directory + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!wcscmp(entry.cFileName, L".") || !wcscmp(entry.cFileName, L"..")) continue;
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = entry.cFileName;
        const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0,
                                                                     reinterpret_cast<LPARAM>(&insert)));
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListInto(tree, item, directory + L"\\" + entry.cFileName);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

INT_PTR CALLBACK BareDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

size_t FoldersFor(int scripts) { return (static_cast<size_t>(scripts) + kScriptsPerFolder - 1) / kScriptsPerFolder; }

// One data set: its own script location with main scripts in folders, the first one
// checked with a URL tree of its own, half of those checked.
struct BandData {
    int mainScripts = 0;
    int urlScripts = 0;
    std::wstring location, mainDirectory, urlDirectory;
    std::wstring checkedKey;
    std::string mainMarks, urlMarks;  // the saved values, put back before each show

    bool Make(const std::wstring& work, const std::wstring& name, int mainCount, int urlCount) {
        mainScripts = mainCount;
        urlScripts = urlCount;
        location = work + L"\\" + name;
        ::CreateDirectoryW(location.c_str(), nullptr);
        if (!SetScriptLocation(location)) return Fail("cannot set the script location");
        mainDirectory = GetMainScriptDirectory();
        const std::string mainScript = "<component/>";  // only the checked one runs
        const auto mainKeys = WriteScriptFolders(mainDirectory, mainCount, kScriptsPerFolder, "main", mainScript);
        if (mainKeys.size() != static_cast<size_t>(mainCount)) return Fail("cannot write the main scripts");
        checkedKey = mainKeys.front();
        if (!WriteMainScript(mainDirectory + checkedKey, "var url = Params.URL;")) return false;
        urlDirectory = GetUrlScriptDirectory() + checkedKey;
        EnsureDirectory(urlDirectory);
        const auto urlKeys = WriteScriptFolders(urlDirectory, urlCount, kScriptsPerFolder, "page", "<component/>");
        if (urlKeys.size() != static_cast<size_t>(urlCount)) return Fail("cannot write the URL scripts");
        if (!SaveMarks(kMainTreeStateValueName, {checkedKey}, 1) || !SaveMarks(checkedKey, urlKeys, 2))
            return Fail("cannot save the marks");
        mainMarks = ReadStateValue(kMainTreeStateValueName);
        urlMarks = ReadStateValue(checkedKey);
        return !mainMarks.empty() && !urlMarks.empty();
    }
    bool Select() const {
        return SetScriptLocation(location) && WriteStateValue(kMainTreeStateValueName, mainMarks) &&
               WriteStateValue(checkedKey, urlMarks);
    }
};

// The browser frame the bars are shown in, shared by every show of a figure.
struct Browser {
    test::BandFrame frame;
    com::ComPtr<test::BandSite> site = test::MakeBandSite();
    Browser() {
        site->bandWindow = frame.band;
        site->browser = browser::CreateWebBrowser(frame.frame);
    }
};

// A bar sited in the browser and shown on data; closed and let go when it goes.
class ShownBar {
public:
    ShownBar(Browser& browser, const BandData& data, std::string& problem) {
        if (!data.Select()) problem = "cannot put the marks back";
        if (FAILED(CreateIEBar(nullptr, IID_IDeskBand, bar_.put_void())) || FAILED(bar_.As(withSite_))) {
            problem = "no bar";
            bar_ = nullptr;
            return;
        }
        const double start = NowMicroseconds();
        const HRESULT sited = withSite_->SetSite(static_cast<IOleWindow*>(browser.site.get()));
        const double formMade = NowMicroseconds();
        const HRESULT shown = bar_->ShowDW(TRUE);
        const double end = NowMicroseconds();
        siteUs_ = formMade - start;
        shownUs_ = end - start;
        CConfigWSC2* form = Form();
        if (FAILED(sited) || FAILED(shown) || !form) {
            problem = "the bar was not shown";
            return;
        }
        // Every script listed, folders included, and the checked one running.
        const HWND mainTree = ::GetDlgItem(form->Handle(), IDC_TREE_IE_WSC);
        const HWND urlTree = ::GetDlgItem(form->Handle(), IDC_TREE_URL_WSC);
        if (ui::TreeView(mainTree).GetCount() != data.mainScripts + FoldersFor(data.mainScripts) ||
            ui::TreeView(urlTree).GetCount() != data.urlScripts + FoldersFor(data.urlScripts) ||
            !form->RunningScriptlet() || !form->RunningScriptlet()->IsAttached()) {
            problem = "the form did not show every script with the checked one running";
        }
    }
    ~ShownBar() {
        if (!bar_) return;
        HandlePending();
        (void)bar_->CloseDW(0);
        (void)withSite_->SetSite(nullptr);
    }
    ShownBar(const ShownBar&) = delete;
    ShownBar& operator=(const ShownBar&) = delete;

    [[nodiscard]] CConfigWSC2* Form() const { return bar_ ? static_cast<CIEBar*>(bar_.get())->Form() : nullptr; }
    [[nodiscard]] double ShownUs() const { return shownUs_; }
    [[nodiscard]] double SiteUs() const { return siteUs_; }

private:
    com::ComPtr<IDeskBand> bar_;
    com::ComPtr<IObjectWithSite> withSite_;
    double siteUs_ = 0, shownUs_ = 0;
};

// The least band: the form's dialog made hidden, its two trees filled from listings of
// the same folders, then shown.
double ShowBareForm(Browser& browser, const BandData& data, std::string& problem) {
    const double start = NowMicroseconds();
    HWND form = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIGWSC2),
                                     browser.frame.band, &BareDialog, 0);
    if (!form) {
        problem = "the baseline could not create the form's dialog";
        return 0;
    }
    const HWND mainTree = ::GetDlgItem(form, IDC_TREE_IE_WSC);
    const HWND urlTree = ::GetDlgItem(form, IDC_TREE_URL_WSC);
    ListInto(mainTree, nullptr, data.mainDirectory);
    ListInto(urlTree, nullptr, data.urlDirectory);
    ::ShowWindow(form, SW_SHOW);
    const double elapsed = NowMicroseconds() - start;
    if (ui::TreeView(mainTree).GetCount() != data.mainScripts + FoldersFor(data.mainScripts) ||
        ui::TreeView(urlTree).GetCount() != data.urlScripts + FoldersFor(data.urlScripts)) {
        problem = "the baseline did not list every script";
    }
    HandlePending();
    ::DestroyWindow(form);
    return elapsed;
}

// CPU time the calling thread has used, user and kernel, in microseconds.
double ThreadCpuMicroseconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return -1;
    auto value = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10;
    };
    return value(kernel) + value(user);
}

// Runs the thread's messages as a browser's loop does, sleeping while there are none,
// for the given time; answers how many timer messages reached window.
int RunMessagesFor(double microseconds, HWND window) {
    int timers = 0;
    const double end = NowMicroseconds() + microseconds;
    for (double now = NowMicroseconds(); now < end; now = NowMicroseconds()) {
        const DWORD wait = static_cast<DWORD>((end - now) / 1000) + 1;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && message.hwnd == window) ++timers;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return timers;
}

}  // namespace

bool MeasureBandShown(const Settings& settings, Report& report) {
    std::vector<BandData> data(settings.bandSizes.size());
    size_t figure = data.size();
    for (size_t i = 0; i < data.size(); ++i) {
        const int size = settings.bandSizes[i];
        if (!data[i].Make(settings.workDirectory, L"band" + std::to_wstring(size), size, size)) return false;
        if (size == settings.bandFigureSize) figure = i;
    }
    if (figure == data.size()) return Fail("the band's figure size is not one of its growth sizes");
    Browser browser;
    std::string problem;
    std::vector<double> siteTimes;  // of SetSite alone, which makes the form
    auto pelmora = [&](const BandData& size) -> TimedRun {
        return [&] {
            const ShownBar bar(browser, size, problem);
            if (&size == &data[figure]) siteTimes.push_back(bar.SiteUs());
            return bar.ShownUs();
        };
    };
    auto baseline = [&](const BandData& size) -> TimedRun {
        return [&] { return ShowBareForm(browser, size, problem); };
    };
    const PairedResult result = MeasurePaired(settings.band, pelmora(data[figure]), baseline(data[figure]));
    if (!problem.empty()) return Fail(problem);
    // The growth rows are timed apart, every size in turn, so that their points share
    // one stretch of the machine's load.
    std::vector<TimedRun> everySize;
    for (const BandData& size : data) {
        everySize.push_back(pelmora(size));
        everySize.push_back(baseline(size));
    }
    const auto medians = MedianOfInterleaved(settings.growthRepeats, everySize);
    if (!problem.empty()) return Fail(problem);

    GrowthSeries growth{"band shown", {}, ""};
    std::vector<double> scripts, times;
    for (size_t i = 0; i < data.size(); ++i) {
        growth.points.push_back({static_cast<double>(data[i].mainScripts), medians[2 * i], medians[2 * i + 1]});
        scripts.push_back(data[i].mainScripts);
        times.push_back(medians[2 * i]);
    }
    growth.shape = GrowthShape(scripts, times);
    const BandData& shown = data[figure];
    char note[240];
    std::snprintf(note, sizeof(note),
                  "%d main scripts in %d folders, %d URL scripts; shown in %.1f ms (SetSite %.1f ms) against "
                  "%.1f ms for the bare form",
                  shown.mainScripts, static_cast<int>(FoldersFor(shown.mainScripts)), shown.urlScripts,
                  result.pelmoraUs / 1000, Median(siteTimes) / 1000, result.baselineUs / 1000);
    report.Add(PairedRow("band shown, " + std::to_string(shown.mainScripts) + " scripts", result, 1.5, note));
    report.Add(std::move(growth));
    return true;
}

bool MeasureIdleBand(const Settings& settings, Report& report) {
    BandData data;
    if (!data.Make(settings.workDirectory, L"idle", settings.idleMainScripts, settings.idleUrlScripts)) return false;
    Browser browser;
    std::string problem;
    const ShownBar bar(browser, data, problem);
    if (!problem.empty()) return Fail(problem);
    const HWND form = bar.Form()->Handle();
    // Whatever showing left to do is done before the quiet begins.
    RunMessagesFor(settings.smoke ? 200e3 : 2e6, form);
    const double wallMicroseconds = settings.idleSeconds * 1e6;
    const double cpuBefore = ThreadCpuMicroseconds();
    const double start = NowMicroseconds();
    const int polls = RunMessagesFor(wallMicroseconds, form);
    const double wall = NowMicroseconds() - start;
    const double cpu = ThreadCpuMicroseconds() - cpuBefore;
    if (cpuBefore < 0 || cpu < 0) return Fail("no CPU times for the band's thread");
    // The form polls its folder watch four times a second: fewer than one poll a second
    // means the quiet was not the band's ordinary idle.
    if (polls < settings.idleSeconds) return Fail("the band's folder watch did not poll while idle");
    const std::string scripts = std::to_string(data.mainScripts + data.urlScripts);
    FigureRow row;
    row.figure = "idle band, " + scripts + " scripts";
    row.pelmoraUs = cpu;
    row.baselineUs = wall;
    row.ratio = row.lowerQuartile = row.upperQuartile = wall > 0 ? cpu / wall : 0;
    row.goal = 0.01;
    row.share = true;
    row.settled = true;  // one window of the whole time: there is no spread to judge
    row.repeats = 1;
    char note[240];
    std::snprintf(note, sizeof(note),
                  "%d main scripts, %d URL scripts of the checked one; the band's thread used %.0f ms of CPU in "
                  "%.1f s shown and left alone, %d watch polls",
                  data.mainScripts, data.urlScripts, cpu / 1000, wall / 1e6, polls);
    row.note = note;
    report.Add(std::move(row));
    return true;
}

}  // namespace pelmora::bench
