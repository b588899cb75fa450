// The course of a Quit, apart from the platform. The platform's part is an
// Ending:
//
//   void NoteEnd()       marks now as the program's end (kept when the
//                        program was found ended before)
//   void StopWorker()    ends the worker's pause and waits for its end
//   void EndProgram()    asks the system to end the program (or its job)
//   bool AwaitEnd()      waits a while for the end, the window served
//                        meanwhile; true once the program is gone
//   void ResumeWorker()  a worker again for a watched program
//   void Finish()        the summary's last figures, the log's summary line,
//                        the program let go
#pragma once

#include "monitor/state.h"

enum class QuitOutcome { Ended, StillRunning };

// The worker ends before the program and the handle it samples go. A program
// that outlives the request (the system refused it, or it takes longer than
// the wait) is not reported as ended: its run goes on as before, watched
// again, its log open, and Quit may be tried again.
template <typename Ending> QuitOutcome EndObservation(MonitorState& state, Ending& ending) {
    auto& program = state.ObservedProgram;
    const bool watched = program.ProcessHandle.valid();
    state.Monitoring.store(0);
    if (watched) ending.NoteEnd();
    ending.StopWorker();
    if (program.Program) ending.EndProgram();
    if (!ending.AwaitEnd()) {
        program.Record.ForgetEnd();
        if (watched) {
            state.Monitoring.store(1);
            ending.ResumeWorker();
        }
        return QuitOutcome::StillRunning;
    }
    ending.Finish();
    return QuitOutcome::Ended;
}
