// The summary of the observation as the tooltip of the readings block.
#include <windows.h>

#include "measure/summary.h"
#include "monitor/monitor_win.h"
#include "toolkit/tooltip.h"

void RefreshSummaryTip() {
    auto& program = Monitor.ObservedProgram;
    const RunFacts facts = program.Record.Facts();
    if (!program.ProcessHandle.valid() && !facts.Finished) return;
    // Rebuilt once per pass and once at the end, not at every mouse move.
    const int64_t shownFor = facts.Finished ? -2 : facts.Passes;
    if (shownFor == program.SummaryTipPasses) return;
    program.SummaryTipPasses = shownFor;
    SummaryFigures figures = SummaryOf(facts, GetTickCount64());
    // The worker writes the totals as it ends; the record is finished after.
    if (facts.Finished) figures.io = program.Io;
    ShowSummaryTip(SummaryTip(Monitor.Language, figures));
}

void ShowSummaryTip(const Text& tip) {
    auto& program = Monitor.ObservedProgram;
    if (tip == program.SummaryTipText) return;
    AssignText(program.SummaryTipText, tip);
    SetTooltipText(FrameReadings, tip.c_str());
}
