// The band shown: the bar sited and shown with saved marks, against listing the same
// files and inserting them into two bare tree views.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>

#include "BenchData.h"
#include "Figures.h"
#include "Measure.h"
#include "TestSupport.h"
#include "component/BandSite.h"
#include "component/IEBar.h"
#include "framework/ui/TreeView.h"
#include "library/ScriptLocation.h"
#include "ui/ConfigWSC2.h"
#include "ui/ScriptStore.h"

namespace pelmora::bench {

namespace {

constexpr int kScriptsPerFolder = 20;
constexpr DWORD kTreeStyles =
    WS_CHILD | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;

void HandlePending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// What the least program does: list a folder tree and insert each entry.
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

// One size of the figure: its own script location with main scripts in folders, the
// first one checked with a URL tree of as many scripts, half of them checked.
struct BandData {
    int scripts = 0;
    std::wstring location, mainDirectory, urlDirectory;
    std::wstring checkedKey;
    std::string mainMarks, urlMarks;  // the saved values, put back before each show

    bool Make(const std::wstring& work, int count) {
        scripts = count;
        location = work + L"\\band" + std::to_wstring(count);
        ::CreateDirectoryW(location.c_str(), nullptr);
        if (!SetScriptLocation(location)) return Fail("cannot set the script location");
        mainDirectory = GetMainScriptDirectory();
        const std::string mainScript = "<component/>";  // only the checked one runs
        const auto mainKeys = WriteScriptFolders(mainDirectory, count, kScriptsPerFolder, "main", mainScript);
        if (mainKeys.size() != static_cast<size_t>(count)) return Fail("cannot write the main scripts");
        checkedKey = mainKeys.front();
        if (!WriteMainScript(mainDirectory + checkedKey, "var url = Params.URL;")) return false;
        urlDirectory = GetUrlScriptDirectory() + checkedKey;
        EnsureDirectory(urlDirectory);
        const auto urlKeys = WriteScriptFolders(urlDirectory, count, kScriptsPerFolder, "page", "<component/>");
        if (urlKeys.size() != static_cast<size_t>(count)) return Fail("cannot write the URL scripts");
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


}  // namespace

bool MeasureBandShown(const Settings& settings, Report& report) {
    std::vector<BandData> data(settings.bandSizes.size());
    for (size_t i = 0; i < data.size(); ++i) {
        if (!data[i].Make(settings.workDirectory, settings.bandSizes[i])) return false;
    }
    test::BandFrame frame;
    auto site = test::MakeBandSite();
    site->bandWindow = frame.band;
    site->browser = browser::CreateWebBrowser(frame.frame);

    std::string problem;
    std::vector<std::vector<double>> siteTimes(data.size());  // of SetSite alone, which makes the form
    std::vector<TimedRun> runs;
    for (const BandData& size : data) {
        runs.push_back([&] {
            if (!size.Select()) problem = "cannot put the marks back";
            com::ComPtr<IDeskBand> bar;
            if (FAILED(CreateIEBar(nullptr, IID_IDeskBand, bar.put_void()))) {
                problem = "no bar";
                return 0.0;
            }
            com::ComPtr<IObjectWithSite> withSite;
            (void)bar.As(withSite);
            const double start = NowMicroseconds();
            const HRESULT sited = withSite->SetSite(static_cast<IOleWindow*>(site.get()));
            const double formMade = NowMicroseconds();
            const HRESULT shown = bar->ShowDW(TRUE);
            const double elapsed = NowMicroseconds() - start;
            siteTimes[&size - data.data()].push_back(formMade - start);
            CConfigWSC2* form = static_cast<CIEBar*>(bar.get())->Form();
            if (FAILED(sited) || FAILED(shown) || !form) {
                problem = "the bar was not shown";
            } else {
                // Every script listed, folders included, and the checked one running.
                const size_t folders = (size.scripts + kScriptsPerFolder - 1) / kScriptsPerFolder;
                const HWND mainTree = ::GetDlgItem(form->Handle(), kMainScriptTreeId);
                const HWND urlTree = ::GetDlgItem(form->Handle(), kUrlScriptTreeId);
                if (ui::TreeView(mainTree).GetCount() != size.scripts + folders ||
                    ui::TreeView(urlTree).GetCount() != size.scripts + folders || !form->RunningScriptlet() ||
                    !form->RunningScriptlet()->IsAttached()) {
                    problem = "the form did not show every script with the checked one running";
                }
            }
            HandlePending();
            (void)bar->CloseDW(0);
            (void)withSite->SetSite(nullptr);
            return elapsed;
        });
        runs.push_back([&] {
            // Filled while hidden and then shown, as the form fills its trees before it
            // becomes visible.
            const double start = NowMicroseconds();
            HWND mainTree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", kTreeStyles, 10, 10, 440, 300, frame.band, nullptr,
                                              nullptr, nullptr);
            HWND urlTree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", kTreeStyles, 10, 320, 440, 300, frame.band,
                                             nullptr, nullptr, nullptr);
            ListInto(mainTree, nullptr, size.mainDirectory);
            ListInto(urlTree, nullptr, size.urlDirectory);
            ::ShowWindow(mainTree, SW_SHOW);
            ::ShowWindow(urlTree, SW_SHOW);
            const double elapsed = NowMicroseconds() - start;
            HandlePending();
            ::DestroyWindow(mainTree);
            ::DestroyWindow(urlTree);
            return elapsed;
        });
    }
    const auto medians = MedianOfInterleaved(settings.bandRepeats, runs);
    if (!problem.empty()) return Fail(problem);

    GrowthSeries growth{"band shown", {}, ""};
    std::vector<double> scripts, times;
    for (size_t i = 0; i < data.size(); ++i) {
        growth.points.push_back({static_cast<double>(data[i].scripts), medians[2 * i], medians[2 * i + 1]});
        scripts.push_back(data[i].scripts);
        times.push_back(medians[2 * i]);
    }
    growth.shape = GrowthShape(scripts, times);
    const double pelmora = medians[medians.size() - 2];
    char note[200];
    std::snprintf(note, sizeof(note),
             "%d main scripts in %d folders, %d URL scripts; shown in %.1f ms, of which SetSite %.1f ms",
             data.back().scripts, (data.back().scripts + kScriptsPerFolder - 1) / kScriptsPerFolder,
             data.back().scripts, pelmora / 1000, Median(siteTimes.back()) / 1000);
    report.Add(FigureRow{"band shown, " + std::to_string(data.back().scripts) + " scripts", pelmora, medians.back(),
                         1.5, settings.bandRepeats, note});
    report.Add(std::move(growth));
    return true;
}

}  // namespace pelmora::bench
