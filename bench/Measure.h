#pragma once
// Timing for the benchmarks. A figure is measured in pairs: each repeat times Pelmora's
// way and its baseline back to back, alternating which goes first, so that a machine
// that is busy for a while slows both halves of a pair alike. The figure is the median
// of the pairs' ratios; repeats are added until their interquartile range lies within
// a tenth of that median, up to a cap.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pelmora::bench {

// Microseconds since an arbitrary start, from the performance counter.
double NowMicroseconds() noexcept;

// Runs body count times and answers the mean microseconds per run.
double TimePerRun(int count, const std::function<void()>& body);

double Median(std::vector<double> values);
// The value below which a share q (0 to 1) of values lie, interpolated between ranks.
double Quantile(std::vector<double> values, double q);

// One timed operation: it does its own untimed set-up and clean-up and answers the
// microseconds of the part that counts.
using TimedRun = std::function<double()>;

// How many pairs a figure takes.
struct PairPlan {
    int warmUp = 2;    // pairs run first and thrown away: caches, first loads
    int minimum = 9;   // pairs before the spread is first judged
    int cap = 61;      // pairs after which a figure that never settled is unstable
    // Each pair alternates the two this many times and keeps the median of each side:
    // a short operation is often cut short by another program, and a cut lands in one
    // round of one side, not in the pair.
    int rounds = 1;
};

struct PairedResult {
    std::vector<double> ratios;  // Pelmora / baseline of each pair kept, in the order run
    double pelmoraUs = 0;        // medians of the two halves, for the absolute times
    double baselineUs = 0;
    double ratio = 0;            // median of the ratios: the figure
    double lowerQuartile = 0;
    double upperQuartile = 0;
    bool settled = false;  // the quartiles within a tenth of the median
    [[nodiscard]] int Repeats() const { return static_cast<int>(ratios.size()); }
};

// Whether ratios are spread narrowly enough for their median to be a verdict.
bool Settled(const std::vector<double>& ratios);

// Times pairs of pelmora and baseline until their ratios settle or the cap is reached.
PairedResult MeasurePaired(const PairPlan& plan, const TimedRun& pelmora, const TimedRun& baseline);

// Runs each of runs once per repeat, in an order that rotates from repeat to repeat,
// and answers the median of each. For the growth rows, which carry no verdict.
std::vector<double> MedianOfInterleaved(int repeats, const std::vector<TimedRun>& runs);

// How a series of (size, time) points grows: "flat" when the largest time is within a
// quarter of the smallest, otherwise "logarithmic" or "linear", whichever straight-line
// fit (against ln n or n) explains more of the spread.
std::string GrowthShape(const std::vector<double>& sizes, const std::vector<double>& times);

}  // namespace pelmora::bench
