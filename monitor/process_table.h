// The history window's list of a tree's processes: its columns, what each
// cell reads and the order a click on a column's header asks for.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/process_list.h"
#include "services/text.h"

enum class ProcessColumn : int32_t {
    Name = 0,
    Pid,
    ProcessorTime,
    PeakWorkingSet,
    Io,
    ExitCode,
};
constexpr int32_t ProcessColumnCount = 6;

// The header of a column in the language (the process's text).
Text ProcessColumnTitle(int8_t language, ProcessColumn column);

// What a cell shows: a figure not measured reads so, a process that still
// runs reads "running" where its exit code will be.
Text ProcessCellText(int8_t language, const ProcessEntry& entry, ProcessColumn column);

// How the list is sorted: by a column, each in its natural direction (the
// figures largest first, names and ids from the smallest), or the other way
// round. Figures not measured come last either way.
struct ProcessOrder {
    ProcessColumn Column = ProcessColumn::PeakWorkingSet;
    bool Reversed = false;
};

// True when the rows go from the largest figure (or the last name) down.
bool Descending(ProcessOrder order);

// A click on the header of column: the same column again turns the
// direction round, another starts in its natural direction.
ProcessOrder ClickedOrder(ProcessOrder order, ProcessColumn column);

// The list's indices in that order; equal keys keep the list's order (the
// order the processes started in).
std::vector<uint32_t> SortedProcesses(const ProcessList& list, ProcessOrder order);
