#pragma once
// What a benchmark run prints and writes: one row per figure (Pelmora, baseline, their
// ratio against its goal), and the growth rows of the figures measured at several sizes.
#include <string>
#include <vector>

namespace pelmora::bench {

struct FigureRow {
    std::string figure;
    double pelmoraUs = 0;
    double baselineUs = 0;
    double goal = 0;  // the ratio Pelmora / baseline may reach
    int repeats = 0;
    std::string note;  // what else the reader should know, such as the absolute time
    [[nodiscard]] double Ratio() const { return baselineUs > 0 ? pelmoraUs / baselineUs : 0; }
    [[nodiscard]] bool Met() const { return baselineUs > 0 && Ratio() <= goal; }
};

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

class Report {
public:
    // verdicts false (the smoke run) prints and writes no verdict.
    explicit Report(bool verdicts) : verdicts_(verdicts) {}
    void Add(FigureRow row) { rows_.push_back(std::move(row)); }
    void Add(GrowthSeries series) { growth_.push_back(std::move(series)); }

    // The table and the growth rows, for people.
    [[nodiscard]] std::string Table() const;
    // One JSON object a line: the figures, then one line per growth point.
    [[nodiscard]] std::string JsonLines() const;
    // The growth points as gnuplot data: one block per series, separated by two blank
    // lines (scripts, Pelmora microseconds, baseline microseconds).
    [[nodiscard]] std::string GrowthData() const;
    [[nodiscard]] bool AllMet() const;

private:
    bool verdicts_;
    std::vector<FigureRow> rows_;
    std::vector<GrowthSeries> growth_;
};

// Writes text to path (wide, Windows form); false when it could not.
bool WriteTextFile(const std::wstring& path, const std::string& text);

}  // namespace pelmora::bench
