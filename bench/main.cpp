// Pelmora's benchmarks: what the add-on costs the browser per event, per page, per band
// shown, per save of its marks and per log record, each against the least a program
// must do for the same result, measured side by side in one run.
//   pelmora_bench [--smoke] [--repeats N] [--run N] [--out FOLDER]
//                 [--only event|page|band|idle|marks|log]
// --smoke runs every figure on small data, a few pairs each, and gives no verdicts;
// --repeats caps the pairs of every figure; --run numbers the results of one of
// several runs. The results go to FOLDER (the program's folder by default) as
// bench-results.jsonl and bench-growth.dat, or bench-results-N.jsonl and
// bench-growth-N.dat for run N. Exit code 0 when every goal was met (always in a smoke
// run that ran), 1 when a goal was missed or a figure never settled, 2 when a figure
// could not run.
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Figures.h"
#include "Report.h"
#include "TestSupport.h"
#include "component/PelmoraApp.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"

namespace pelmora::bench {
namespace {

int Run(Settings settings, const std::wstring& outFolder) {
    // The run owns the product key: whatever a user had there is not the run's data.
    test::ScopedRegistryKey productKey{HKEY_CURRENT_USER, test::kProductKeyForTests};
    test::TempDir work;
    settings.workDirectory = work.path();
    Report report(!settings.smoke, settings.run);
    bool ran = true;
    const struct {
        const char* name;
        bool (*measure)(const Settings&, Report&);
    } figures[] = {{"event", MeasureEventDispatch}, {"page", MeasurePerPageCost}, {"band", MeasureBandShown},
                   {"idle", MeasureIdleBand},       {"marks", MeasureMarks},        {"log", MeasureLogRecord}};
    for (const auto& figure : figures) {
        if (settings.only.empty() || settings.only == figure.name) ran = figure.measure(settings, report) && ran;
    }

    std::printf("%s build, run %d\n%s", BuildName(), settings.run, report.Table().c_str());
    std::printf("\nratios: medians of the pairs after %d warm-up pairs, settled when the quartiles lie within "
                "10%% of the median (at most %d pairs, %d for the band shown)%s\n",
                settings.quick.warmUp, settings.quick.cap, settings.band.cap,
                settings.smoke ? "; smoke run: small data, no verdicts" : "");
    const std::wstring suffix = settings.numbered ? L"-" + std::to_wstring(settings.run) : L"";
    const std::wstring jsonPath =
        outFolder + (settings.smoke ? L"\\bench-smoke.jsonl" : L"\\bench-results" + suffix + L".jsonl");
    const std::wstring dataPath =
        outFolder + (settings.smoke ? L"\\bench-smoke-growth.dat" : L"\\bench-growth" + suffix + L".dat");
    if (!WriteTextFile(jsonPath, report.JsonLines()) || !WriteTextFile(dataPath, report.GrowthData())) {
        std::fprintf(stderr, "bench: cannot write the results below %s\n", win::WideToAnsi(outFolder).c_str());
        return 2;
    }
    std::printf("results: %s\n", win::WideToAnsi(jsonPath).c_str());
    if (!ran) return 2;
    return settings.smoke || report.AllMet() ? 0 : 1;
}

}  // namespace
}  // namespace pelmora::bench

int main(int argc, char** argv) {
    pelmora::bench::Settings settings;
    std::wstring outFolder = pelmora::test::ProgramDirectory();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--smoke")) {
            settings.smoke = true;
            settings.quick = settings.band = {0, 3, 3, 1};
            settings.growthRepeats = 1;
            settings.pageSizes = {1, 30, 100};
            settings.bandSizes = {10, 40};
            settings.bandFigureSize = 40;
            settings.idleMainScripts = 20;
            settings.idleUrlScripts = 60;
            settings.idleSeconds = 1;
            settings.markItems = 200;
        } else if (!std::strcmp(argv[i], "--repeats") && i + 1 < argc) {
            const int cap = std::max(1, std::atoi(argv[++i]));
            settings.quick.cap = settings.band.cap = cap;
            settings.quick.minimum = std::min(settings.quick.minimum, cap);
            settings.band.minimum = std::min(settings.band.minimum, cap);
        } else if (!std::strcmp(argv[i], "--run") && i + 1 < argc) {
            settings.run = std::max(1, std::atoi(argv[++i]));
            settings.numbered = true;
        } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
            settings.only = argv[++i];
        } else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            outFolder = pelmora::win::AnsiToWide(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: pelmora_bench [--smoke] [--repeats N] [--run N] [--out FOLDER] "
                         "[--only event|page|band|idle|marks|log]\n");
            return 2;
        }
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    if (!pelmora::GetPelmoraApp().InitInstance()) return 2;
    const int result = pelmora::bench::Run(settings, outFolder);
    pelmora::GetPelmoraApp().ExitInstance();
    ::CoUninitialize();
    return result;
}
