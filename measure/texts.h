// The texts of both languages, as stored: the blocks the window composes its
// texts from, and the words the views and the console's report share.
#pragma once

#include <cstdint>

#include "measure/reading_types.h"

// Texts per language block: StateTexts 1..5, ErrorTexts 0..6, CaptionTexts 0..8.
constexpr int32_t LanguageBlockTexts = 21;

// The stored block of a language (ISO 8859-1 texts); German for any value
// other than English.
const char* const* LanguageBlock(int8_t language);

// A settings number as the monitor keeps it: cut to its low 8 bits, read as a
// signed value, and 0 when it then lies outside 0..highest.
int8_t SettingValue(int32_t number, int8_t highest);

// The history window's title ("History"), the system-menu item that opens it
// ("History..."), and the word for the current reading ("Current"), each in
// the language given; German for any value other than English.
const char* HistoryTitle(int8_t language);
const char* HistoryMenuItem(int8_t language);
const char* CurrentCaption(int8_t language);

// The mark after a peak that was read at the last pass rather than after the
// end (where the system keeps no peak of an ended process): a rise after
// that pass is missing from it. Both programs show it: " (at the last pass, may be low)".
const char* PeakAtLastPassNote(int8_t language);
