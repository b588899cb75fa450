#include "console/run_statistics.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A normal distribution's standard deviation per median absolute deviation,
// and per mean absolute deviation.
constexpr double PerMedianDeviation = 1.4826;
constexpr double PerMeanDeviation = 1.2533;

// Shell's sort, halving the gap: a few lines, where the standard sort brings
// a kilobyte of code into brenkrun; quick enough for 10000 runs.
void Sort(std::vector<double>& values) {
    for (size_t gap = values.size() / 2; gap > 0; gap /= 2)
        for (size_t i = gap; i < values.size(); ++i)
            for (size_t j = i; j >= gap && values[j - gap] > values[j]; j -= gap)
                std::swap(values[j - gap], values[j]);
}

// The median of sorted values.
double MedianOf(const std::vector<double>& sorted) {
    const size_t half = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2;
}

} // namespace

Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) return spread;
    Sort(values);
    spread.Count = static_cast<int32_t>(values.size());
    spread.Min = values.front();
    spread.Max = values.back();
    spread.Median = MedianOf(values);
    double sum = 0;
    for (double value : values)
        sum += value;
    spread.Mean = sum / static_cast<double>(values.size());
    // The mean may round outside the values when they are all equal.
    spread.Mean = std::clamp(spread.Mean, spread.Min, spread.Max);
    double squares = 0;
    double deviations = 0;
    for (double& value : values) {
        squares += (value - spread.Mean) * (value - spread.Mean);
        value = std::fabs(value - spread.Median);
        deviations += value;
    }
    if (values.size() > 1)
        spread.Stddev = std::sqrt(squares / static_cast<double>(values.size() - 1));
    Sort(values);
    spread.Scale = PerMedianDeviation * MedianOf(values);
    if (spread.Scale == 0)
        spread.Scale = PerMeanDeviation * deviations / static_cast<double>(values.size());
    for (double deviation : values)
        if (IsFar(spread, spread.Median + deviation)) ++spread.Far;
    return spread;
}

bool IsFar(const Spread& spread, double value) {
    const double distance = std::fabs(value - spread.Median);
    return spread.Count >= FewestForFar && distance > FarScales * spread.Scale &&
           distance > FarShare * std::fabs(spread.Median);
}

Ratio RatioOf(const Spread& value, const Spread& base) {
    Ratio ratio;
    if (value.Count == 0 || base.Count == 0 || base.Mean <= 0) return ratio;
    ratio.Known = true;
    ratio.Value = value.Mean / base.Mean;
    const double relative = value.Mean > 0 ? value.Stddev / value.Mean : 0;
    const double baseRelative = base.Stddev / base.Mean;
    ratio.Stddev = ratio.Value * std::sqrt(relative * relative + baseRelative * baseRelative);
    return ratio;
}
