// The scales of the history graph: the processor load and the working set
// upward, the time of the run across. Round steps only, labelled as the
// readings are (digits grouped with dots). Platform-neutral.
#pragma once

#include <cstdint>
#include <vector>

#include "services/text.h"

struct AxisTick {
    int64_t Value = 0; // in the axis's own unit: percent, bytes or ms
    Text Label;
};

struct Axis {
    int64_t Top = 1; // the value at the far end; the near end is 0
    std::vector<AxisTick> Ticks;
};

// The load axis: 0..100 % for the scales that end at 100; for the open
// scale up to its largest load rounded up to a step, 100 % at least. At most
// maxSteps steps between the ticks.
Axis LoadAxis(int8_t cpuScale, int64_t largestLoad, int32_t maxSteps);

// The working-set axis from 0 to the largest working set rounded up to a
// step of whole megabytes (gigabytes from 10 GB on), labelled in that unit.
Axis WorkingSetAxis(int64_t largestBytes, int32_t maxSteps);

// The time axis of a run of spanMs drawn lengthPx long: ticks at the
// smallest round step (seconds, minutes or hours) that leaves at least
// minGapPx between them, labelled in the unit of the step.
Axis TimeAxis(uint32_t spanMs, int32_t lengthPx, int32_t minGapPx);
