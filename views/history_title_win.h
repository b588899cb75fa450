// The run's title where the history graph is shown: over the picture of a
// file, in the caption of the window. The clock's edge of it.
#pragma once

#include <cstdint>

#include "measure/history_title.h"

// The local date and time of startTick, a moment of GetTickCount64's clock.
LocalTime LocalTimeOfTick(uint64_t startTick);
