// The Win32 half of the monitor: the steps of start-up, the window, the
// observed program and the sampling worker, all acting on the one Monitor
// record. Everything here runs on the main thread except SamplingWorker.
#pragma once

#include <cstdint>

#include "measure/reading_log.h"
#include "monitor/state.h"

extern MonitorState Monitor;

// Control numbers of the main window.
enum ControlNumber : int32_t {
    FrameTop = 0,
    SeparatorUpper = 1,
    SeparatorLower = 2,
    FrameReadings = 3,
    LabelProgram = 4,
    LabelCommandLine = 5,
    LabelInterval = 6,
    LabelDefaultInterval = 7,
    FieldProgramName = 8,
    FieldCommandLine = 9,
    SpinInterval = 10,
    ButtonOpen = 11,
    ButtonStart = 12,
    ButtonQuit = 13,
    TextSystemInfo = 14,
    ColumnCaptions = 15,
    ColumnColons = 16,
    ColumnValues = 17,
    ColumnUnits = 18,
};

// Action numbers carried as control tags.
enum ActionNumber : int8_t {
    ActionCommandLine = 0,
    ActionInterval = 1,
    ActionOpen = 2,
    ActionStart = 3,
    ActionQuit = 4,
};

constexpr int32_t MainWindow = 0;
constexpr int32_t MainStatusBar = 0;
constexpr const char* MainWindowTitle = "Brenk v0.1b";
constexpr const char* ErrorBoxTitle = "Guru-Attack!";

// Shows ErrorTexts[code] in a message box; codes up to LastFatalError end the
// tool through the orderly shut-down with exit code 0 and do not return.
void ReportError(int8_t code);

// Releases the services in their fixed order (the observed program must
// already be quit).
void ShutDownServices();

void InitialiseMonitor();
void BuildMainWindow();
void DispatchControlEvent(int8_t action);
void ShowSystemInfo();
// The logical processors of the whole machine, all processor groups.

void ShowState(int8_t state);
void OpenObservedProgram();
void StartObservedProgram();
// Ends the program and its watch; a program that still runs afterwards is
// watched on, Quit stays offered, and error 9 says so.
void QuitObservedProgram();
// The same when Brenk itself goes (its window closed, the session ending):
// a program that still runs is then let go, the log finished with the
// summary so far. tell: error 9 is shown for it.
void LeaveObservedProgram(bool tell);
// Answers the system's end of the session on the main window: the program
// is left as above before the answer, since the process may end right after.
void FollowSessionEnd();

// Opens the file at path as if it were chosen in the file requester: the
// same checks, states and errors; a shortcut opens its target. True when it
// is now the chosen program; *arguments then holds the shortcut's arguments
// (empty for any other file).
bool OpenProgramFile(const char* path, Text* arguments);

// Puts a command line that came with the program (a shortcut's, the tool's
// own arguments) into FieldCommandLine. One longer than the field holds is
// refused with error 8, the field staying empty; false then.
bool HandCommandLine(const Text& arguments);

// Programs handed to the tool from outside. The command line after the
// tool's own name: PROGRAM is opened and, with the arguments in the
// command-line field, started at once; nothing happens without one.
void OpenProgramFromCommandLine(const char* commandLine);
// A file dropped on the window is opened, not started; ignored while a
// program is held.
void OpenDroppedProgram();

// The sampling worker's procedure; its parameter is the interval in ms.
uint32_t SamplingWorker(int32_t interval);
// Marks the moment the observed program was found ended (the first one to
// find it counts).
void NoteProgramEnd();
// Completes the summary once the worker has ended and the program is gone:
// its exit code and last figures. Main thread.
void FinishSummary();
// The tree's processes for the history window. While wanted, the worker
// hands them over at every pass; it always does at its end, as does the
// summary. True, with a copy, when they changed since version (0: never
// taken). Main thread.
void WantLiveTree(bool wanted);
bool TakeLiveTree(ProcessList& tree, uint64_t& version);

// The readings log of the LogFile setting (reading_log_win.cpp). Open gives
// false when the file cannot be opened for appending; Write gives the file up
// for the rest of the run when it refuses a line, and ReportLogFault (main
// thread) then shows error 7 once. The main thread opens and closes it while
// no worker runs; the worker writes its rows while Monitoring is 1.
bool OpenReadingLog();
void WriteReadingLog(const Text& line);
void ReportLogFault();
void CloseReadingLog();

// The summary of the observation as the tooltip of the readings block; the
// main thread refreshes it after every event while a program is watched.
void RefreshSummaryTip();
// Sets the readings block's tooltip, unless it already reads so.
void ShowSummaryTip(const Text& tip);
