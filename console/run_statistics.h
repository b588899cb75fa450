// The statistics of repeated runs: the spread of one figure over the runs,
// which runs lie far from the rest, and one command's mean against another's.
#pragma once

#include <cstdint>
#include <vector>

struct Spread {
    int32_t Count = 0; // the values; none: nothing else is known
    double Mean = 0;
    double Stddev = 0; // with n - 1; known from two values on
    double Median = 0;
    double Min = 0;
    double Max = 0;
    // The values' robust scale: the median absolute deviation from the
    // median, scaled to a normal distribution's standard deviation (1.4826
    // MAD); when more than half the values are equal, and the MAD is 0, the
    // mean absolute deviation scaled alike (1.2533 MeanAD).
    double Scale = 0;
    int32_t Far = 0; // values far from the rest (IsFar)
};

// Far: more than FarScales robust scales from the median, and more than
// FarShare of the median, so that the step of a counter (a page of memory, a
// clock's tick) does not make far runs of figures that are all but equal.
constexpr double FarScales = 3;
constexpr double FarShare = 0.01;
// Below this many values the median absolute deviation rests on one or two
// of them, and nothing is called far.
constexpr int32_t FewestForFar = 5;

// The spread of the values, in any order.
Spread SpreadOf(std::vector<double> values);

// A value far from the rest: a run that met something the others did not
// (another program's burst, a cold cache).
bool IsFar(const Spread& spread, double value);

// One mean relative to another's, with the spread of the ratio from both
// relative standard deviations (first-order propagation of the error).
struct Ratio {
    bool Known = false; // both measured, the base above 0
    double Value = 0;
    double Stddev = 0;
};
Ratio RatioOf(const Spread& value, const Spread& base);
