#pragma once
// What a benchmark run prints and writes: one row per figure (Pelmora, baseline, the
// median of their paired ratios with its interquartile range, against its goal), and
// the growth rows of the figures measured at several sizes.
#include <string>
#include <vector>

#include "Measure.h"

namespace pelmora::bench {

struct FigureRow {
    std::string figure;
    double pelmoraUs = 0;   // median of Pelmora's times
    double baselineUs = 0;  // median of the baseline's times
    double ratio = 0;       // median of the per-pair ratios
    double lowerQuartile = 0;
    double upperQuartile = 0;
    double goal = 0;     // the ratio may reach the goal; a share must stay below it
    bool share = false;  // the ratio is a share of one core, printed in percent
    bool settled = false;
    int repeats = 0;
    std::vector<double> ratios;  // of the pairs kept, in the order run
    std::string note;            // what else the reader should know, such as the absolute time

    // "met", "missed", or "unstable" where the repeats never settled.
    [[nodiscard]] std::string Verdict() const;
};

// The row of a paired figure.
FigureRow PairedRow(std::string figure, const PairedResult& result, double goal, std::string note);

struct GrowthPoint {
    double scripts = 0;
    double pelmoraUs = 0;
    double baselineUs = 0;  // 0 where the series has no baseline of its own
};

struct GrowthSeries {
    std::string figure;
    std::vector<GrowthPoint> points;
    std::string shape;  // see GrowthShape
};

// The build this program is: "x86" or "x64".
const char* BuildName() noexcept;

class Report {
public:
    // verdicts false (the smoke run) prints and writes no verdict; run numbers the
    // JSON rows of one of several runs.
    Report(bool verdicts, int run) : verdicts_(verdicts), run_(run) {}
    void Add(FigureRow row) { rows_.push_back(std::move(row)); }
    void Add(GrowthSeries series) { growth_.push_back(std::move(series)); }

    // The table and the growth rows, for people.
    [[nodiscard]] std::string Table() const;
    // One JSON object a line: the figures, then one line per growth point, each naming
    // the build and the run.
    [[nodiscard]] std::string JsonLines() const;
    // The growth points as gnuplot data: one block per series, separated by two blank
    // lines (scripts, Pelmora microseconds, baseline microseconds).
    [[nodiscard]] std::string GrowthData() const;
    [[nodiscard]] bool AllMet() const;

private:
    bool verdicts_;
    int run_;
    std::vector<FigureRow> rows_;
    std::vector<GrowthSeries> growth_;
};

// Writes text to path (wide, Windows form); false when it could not.
bool WriteTextFile(const std::wstring& path, const std::string& text);

}  // namespace pelmora::bench
