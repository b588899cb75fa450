// The log's comment line for each process of a tracked tree.
#pragma once

#include <cstdint>

#include "measure/process_list.h"
#include "services/text.h"

// One process as a comment line of the log: "# " and its name, id, parent's
// id, start and end in ms since the run's start, exit code, processor time,
// peak working set and I/O, as the summary line gives its figures, ending in
// "\r\n". A comment, so that no CSV reader takes it for a row.
Text ProcessLogLine(int8_t language, const ProcessEntry& entry);

// The tree has ended: each process whose notice of its end never came (seen
// under Wine when Quit ends the tree as a whole) ended by endMs, its
// exit code unknown unless it is the program's own (programPid).
void EndRemainingProcesses(ProcessList& tree, uint64_t endMs, uint32_t programPid,
                           uint32_t programCode);
