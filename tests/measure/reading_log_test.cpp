#include "measure/reading_log.h"

#include <gtest/gtest.h>

namespace {

// A command line with line breaks stays one comment line, and a working set
// that the access did not give is an empty field, not 0.
TEST(ReadingLog, NeitherLineBreaksNorMissingFiguresMakeFalseRows) {
    EXPECT_EQ(LogStartLine(English, "app.exe \"a\r\n2026-01-01T00:00:00,1,2\"\n"),
              "# Program : app.exe \"a  2026-01-01T00:00:00,1,2\" \r\n");
    Readings readings;
    readings.Row = {3, 97, -1, -1, 41, -1};
    EXPECT_EQ(LogRowLine({2026, 1, 9, 7, 5, 3}, 250, readings),
              "2026-01-09T07:05:03,250,41,3,97,,,\r\n");
}

} // namespace
