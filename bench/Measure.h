#pragma once
// Timing for the benchmarks: each figure times Pelmora's way and its baseline side by
// side, alternating which goes first, so that a machine that slows down for a while
// slows both; the medians of the repeats are compared.
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

// One timed operation: it does its own untimed set-up and clean-up and answers the
// microseconds of the part that counts.
using TimedRun = std::function<double()>;

// Runs each of runs once per repeat, in an order that rotates from repeat to repeat,
// and answers the median of each.
std::vector<double> MedianOfInterleaved(int repeats, const std::vector<TimedRun>& runs);

// How a series of (size, time) points grows: "flat" when the largest time is within a
// quarter of the smallest, otherwise "logarithmic" or "linear", whichever straight-line
// fit (against ln n or n) explains more of the spread.
std::string GrowthShape(const std::vector<double>& sizes, const std::vector<double>& times);

}  // namespace pelmora::bench
