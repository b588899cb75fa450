// The run's title where the history graph is shown: over the picture of a
// file, in the caption of the window. The clock's edge of it.
#pragma once

#include <cstdint>
#include <string_view>

#include "measure/history_title.h"
#include "measure/run_record.h"
#include "services/text.h"

// The local date and time of startTick, a moment of GetTickCount64's clock.
CivilTime LocalTimeOfTick(uint64_t startTick);

// The run's title, its run time up to now; started: the local time of its start.
Text RunTitleOf(int8_t language, std::string_view programPath, const RunFacts& facts,
                const CivilTime& started);
