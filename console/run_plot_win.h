// The run's history graph as a PNG file, drawn as the history window draws it.
#pragma once

#include <cstdint>

#include "measure/run_record.h"
#include "services/text.h"

// Draws record width x height pixels at 96 dpi and writes it to path as PNG
// with the system's image encoder. False when it could not be written; no
// part-written file is left then.
bool WritePlot(const Text& path, const RunRecord& record, int8_t language, int32_t width,
               int32_t height);
