// The two language blocks, the reading of the settings values, and the fixed
// texts composed once at start-up from the chosen language.
#pragma once

#include <cstdint>
#include <string_view>

#include "monitor/state.h"

// Texts per language block: StateTexts 1..5, ErrorTexts 0..6, CaptionTexts 0..8.
constexpr int32_t LanguageBlockTexts = 21;

// The title-and-credit line, the same in both languages.
constexpr const char* CreditText = "Brenk v0.1b by the Brenk project";

// The stored block of a language (ISO 8859-1 texts); German for any value
// other than English.
const char* const* LanguageBlock(int8_t language);

// A settings number as the monitor keeps it: cut to its low 8 bits, read as a
// signed value, and 0 when it then lies outside 0..highest.
int8_t SettingValue(int32_t number, int8_t highest);

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

// The history window's title ("History"), the system-menu item that opens it
// ("History..."), and the word for the current reading ("Current"), each in
// the language given; German for any value other than English.
const char* HistoryTitle(int8_t language);
const char* HistoryMenuItem(int8_t language);
const char* CurrentCaption(int8_t language);
