// The lines of the readings log: CSV, one row per pass, with comment lines
// (beginning with "#") that name each observed program and sum it up.
#pragma once

#include <cstdint>
#include <string_view>

#include "measure/reading_types.h"
#include "services/text.h"

// The header a new or empty log file begins with, ending in "\r\n".
constexpr std::string_view LogHeaderLine() {
    return "Time,Milliseconds,CPU Current,CPU Minimum,CPU Maximum,"
           "RAM Current,RAM Minimum,RAM Maximum\r\n";
}

// "# Program : " and the command line the program was started with, its
// line breaks as blanks.
Text LogStartLine(int8_t language, std::string_view commandLine);

// One pass: the local time (ISO 8601, to the second), the milliseconds since
// the start, then CPU current, minimum, maximum and RAM current, minimum,
// maximum as plain integers, a figure not available (negative) as an empty
// field; ending in "\r\n".
Text LogRowLine(const LocalTime& time, uint64_t msSinceStart, const Readings& readings);

// "YYYY-MM-DDTHH:MM:SS".
Text IsoTimeText(const LocalTime& time);
