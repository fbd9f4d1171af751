#pragma once
// The figures: each measures one thing Pelmora does for the browser against the least a
// program must do for the same result, checks that both did it, and adds its row (and
// its growth rows) to the report. Each answers false, after saying why on the standard
// error, when an operation did not do what it should; then its times mean nothing.
#include <string>
#include <vector>

#include "Report.h"

namespace pelmora::bench {

struct Settings {
    bool smoke = false;  // one repeat, small sizes, no verdicts
    int repeats = 15;    // of the quick figures
    int bandRepeats = 7;  // of the band shown, each of which builds a whole form
    std::vector<int> pageSizes{1, 100, 1000, 10000};  // URL scripts in the URL tree
    std::vector<int> bandSizes{10, 100, 1000};         // main scripts, and URL scripts of the checked one
    int markItems = 10000;
    std::string only;            // the one figure to run (its first word), or every one
    std::wstring workDirectory;  // scratch folder of the run, below which the scripts lie
};

bool MeasureEventDispatch(const Settings& settings, Report& report);
bool MeasurePerPageCost(const Settings& settings, Report& report);
bool MeasureBandShown(const Settings& settings, Report& report);
bool MeasureMarks(const Settings& settings, Report& report);
bool MeasureLogRecord(const Settings& settings, Report& report);

}  // namespace pelmora::bench
