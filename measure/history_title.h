// The line that tells one run's graph from another's: which program, when it
// started, how long it ran. Platform-neutral.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "measure/reading_types.h"
#include "services/text.h"

// The part of a path after its last folder: "C:\tools\app.exe" gives "app.exe".
std::string_view FileNameOf(std::string_view path);

// "app.exe – 2026-12-10 05:10 – 22.4 s": the program's file name, the
// start's local date and time, the run time (when given) as the summary
// writes it in language; without a name, from the date on. The dash is the
// process's own when its text is UTF-8, else "-".
Text RunTitle(int8_t language, std::string_view programPath, const LocalTime& start,
              std::optional<uint64_t> runMs);

// A window's caption followed by the run's title: "History – app.exe – ...".
Text CaptionWithRun(std::string_view caption, const Text& runTitle);
