#pragma once
// The figures: each measures one thing Pelmora does for the browser against the least a
// program must do for the same result, checks that both did it, and adds its row (and
// its growth rows) to the report. Each answers false, after saying why on the standard
// error, when an operation did not do what it should; then its times mean nothing.
#include <string>
#include <vector>

#include "Measure.h"
#include "Report.h"

namespace pelmora::bench {

struct Settings {
    bool smoke = false;  // a few pairs, small sizes, no verdicts
    int run = 1;         // which of several runs this is, for the JSON rows
    bool numbered = false;  // the run was named: its result files carry its number
    PairPlan quick{2, 9, 61, 11};  // the event, page, marks and log figures
    PairPlan band{2, 9, 31, 3};    // the band shown, each round of which builds two whole forms
    int growthRepeats = 5;  // of the growth points, which carry no verdict (times rounds where quick)
    std::vector<int> pageSizes{1, 100, 1000, 10000};  // URL scripts in the URL tree
    // Main scripts, and URL scripts of the checked one; the figure is taken at bandFigureSize.
    std::vector<int> bandSizes{10, 100, 1000, 10000};
    int bandFigureSize = 1000;
    int idleMainScripts = 1000;
    int idleUrlScripts = 9000;
    int idleSeconds = 10;
    int markItems = 10000;
    std::string only;            // the one figure to run (its first word), or every one
    std::wstring workDirectory;  // scratch folder of the run, below which the scripts lie
};

bool MeasureEventDispatch(const Settings& settings, Report& report);
bool MeasurePerPageCost(const Settings& settings, Report& report);
bool MeasureBandShown(const Settings& settings, Report& report);
bool MeasureIdleBand(const Settings& settings, Report& report);
bool MeasureMarks(const Settings& settings, Report& report);
bool MeasureLogRecord(const Settings& settings, Report& report);

}  // namespace pelmora::bench
