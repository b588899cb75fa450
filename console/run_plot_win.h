// The run's history graph as a PNG file, drawn as the history window draws it.
#pragma once

#include <cstdint>
#include <string_view>

#include "measure/run_record.h"
#include "services/text.h"

// Draws record width x height pixels at 96 dpi, under a title line naming
// the program (its file name from programPath), the start and the run time,
// and writes it to path as PNG with the system's image encoder. False when
// it could not be written; a file of that name then stays as it was, and no
// part-written file is left.
bool WritePlot(const Text& path, const RunRecord& record, std::string_view programPath,
               int8_t language, int32_t width, int32_t height);
