#include "Measure.h"

#include <algorithm>
#include <cmath>

namespace pelmora::bench {

double NowMicroseconds() noexcept {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMicrosecond;
}

double TimePerRun(int count, const std::function<void()>& body) {
    const double start = NowMicroseconds();
    for (int i = 0; i < count; ++i) body();
    return (NowMicroseconds() - start) / std::max(count, 1);
}

double Median(std::vector<double> values) { return Quantile(std::move(values), 0.5); }

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double rank = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(rank);
    if (below + 1 >= values.size()) return values.back();
    const double part = rank - static_cast<double>(below);
    return values[below] + part * (values[below + 1] - values[below]);
}

bool Settled(const std::vector<double>& ratios) {
    if (ratios.size() < 3) return false;
    const double median = Median(ratios);
    return median > 0 && Quantile(ratios, 0.25) >= median * 0.9 && Quantile(ratios, 0.75) <= median * 1.1;
}

PairedResult MeasurePaired(const PairPlan& plan, const TimedRun& pelmora, const TimedRun& baseline) {
    PairedResult result;
    std::vector<double> pelmoraTimes, baselineTimes;
    for (int pair = 0; pair < plan.warmUp + plan.cap; ++pair) {
        std::vector<double> ourRounds, theirRounds;
        for (int round = 0; round < std::max(plan.rounds, 1); ++round) {
            if ((pair + round) % 2 == 0) {
                ourRounds.push_back(pelmora());
                theirRounds.push_back(baseline());
            } else {
                theirRounds.push_back(baseline());
                ourRounds.push_back(pelmora());
            }
        }
        const double ours = Median(ourRounds), theirs = Median(theirRounds);
        if (pair < plan.warmUp) continue;
        pelmoraTimes.push_back(ours);
        baselineTimes.push_back(theirs);
        result.ratios.push_back(theirs > 0 ? ours / theirs : 0);
        if (result.Repeats() >= plan.minimum && Settled(result.ratios)) break;
    }
    result.pelmoraUs = Median(pelmoraTimes);
    result.baselineUs = Median(baselineTimes);
    result.ratio = Median(result.ratios);
    result.lowerQuartile = Quantile(result.ratios, 0.25);
    result.upperQuartile = Quantile(result.ratios, 0.75);
    result.settled = Settled(result.ratios);
    return result;
}

std::vector<double> MedianOfInterleaved(int repeats, const std::vector<TimedRun>& runs) {
    std::vector<std::vector<double>> times(runs.size());
    for (int repeat = 0; repeat < repeats; ++repeat) {
        for (size_t step = 0; step < runs.size(); ++step) {
            const size_t which = (step + static_cast<size_t>(repeat)) % runs.size();
            times[which].push_back(runs[which]());
        }
    }
    std::vector<double> medians;
    for (auto& series : times) medians.push_back(Median(series));
    return medians;
}

namespace {

// The share of the spread of y that a straight line through (x, y) explains.
double FitQuality(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
        syy += y[i] * y[i];
    }
    const double covariance = n * sxy - sx * sy;
    const double spreadX = n * sxx - sx * sx;
    const double spreadY = n * syy - sy * sy;
    if (spreadX <= 0 || spreadY <= 0) return 0;
    return covariance * covariance / (spreadX * spreadY);
}

}  // namespace

std::string GrowthShape(const std::vector<double>& sizes, const std::vector<double>& times) {
    if (sizes.size() < 2 || sizes.size() != times.size()) return "unknown";
    const auto [lowest, highest] = std::minmax_element(times.begin(), times.end());
    if (*lowest > 0 && *highest <= *lowest * 1.25) return "flat";
    std::vector<double> logSizes;
    for (double size : sizes) logSizes.push_back(std::log(size));
    return FitQuality(logSizes, times) >= FitQuality(sizes, times) ? "logarithmic" : "linear";
}

}  // namespace pelmora::bench
