// The two language blocks, the reading of the settings values, and the fixed
// texts composed once at start-up from the chosen language.
#pragma once

#include <cstdint>
#include <string_view>

#include "measure/texts.h"
#include "monitor/state.h"

// The title-and-credit line, the same in both languages.
constexpr const char* CreditText = "Brenk v0.1b by the Brenk project";

// Takes the numbers read for "Language" and "DInterval" (0 when absent) into
// Language, DefaultIntervalIndex and IntervalIndex.
void ApplySettings(MonitorState& state, int32_t language, int32_t defaultInterval);

// Fills IntervalTable, RowBreaks, the column texts, the system information
// pieces and the three text tables from the block of state.Language.
void ComposeMonitorTexts(MonitorState& state);

// The text an error box shows: the active table's entry, or, before the
// tables are filled, the stored German text (the default language).
Text ErrorText(const MonitorState& state, int8_t code);

// The interval entry in plain decimal, without a unit; empty for an index
// outside the table.
Text IntervalText(const MonitorState& state, int32_t index);

// The label of the default interval, e.g. "Default : 1000 ms".
Text DefaultIntervalCaption(const MonitorState& state);

// The command line as the field may hold it: its last 128 characters.
constexpr int32_t CommandLineLimit = 128;
Text LimitedCommandLine(std::string_view text);


// Reads the three opt-in keys as the monitor keeps them: Children counts only
// when exactly 1 and CpuScale only when 0, 1 or 2; every other value is 0.
void ApplyOptions(MonitorState& state, int32_t children, int32_t cpuScale,
                  std::string_view logFile);
