// The monitor's one record: everything the tool knows between start-up and
// shut-down. The main thread owns it; the sampling worker writes the readings,
// the sampler and the values text only while Monitoring is 1, and the main
// thread touches them only before the worker starts or after it has ended.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "measure/pass_loop.h"
#include "measure/process_list.h"
#include "measure/reading_types.h"
#include "measure/run_record.h"
#include "services/owned_handle.h"
#include "services/text.h"

// A system handle the monitor owns and closes once. The host build opens
// none: its tests put stand-ins in, which nothing closes.
#ifdef _WIN32
using SystemHandle = OwnedHandle;
#else
inline void KeepStandIn(void*) {}
using SystemHandle = Owned<void*, KeepStandIn>;
#endif

struct LaunchRecord;

constexpr int32_t ErrorTextSlots = 10;
constexpr int32_t StateTextSlots = 7;
constexpr int32_t CaptionTextSlots = 10;
constexpr int32_t IntervalCount = 10;

// Error codes; 0 to 2 end the tool.
enum ErrorCode : int8_t {
    ErrorNoWindow = 0,
    ErrorNoStatusBar = 1,
    ErrorNoPsapi = 2,
    ErrorRegistry = 3,
    ErrorForbiddenName = 4,
    ErrorNoSettingsFile = 5,
    ErrorNotStarted = 6,
    ErrorLogFile = 7,
    ErrorCommandLineTooLong = 8,
    ErrorStillRunning = 9,
};
constexpr int8_t LastFatalError = ErrorNoPsapi;

// Status texts shown by ShowState.
enum StateCode : int8_t {
    StateCredit = 0,
    StateNotOpened = 1,
    StateOpened = 2,
    StateStarted = 3,
    StateRunning = 4,
    StateTerminated = 5,
};

// Entries of CaptionTexts.
enum CaptionCode : int32_t {
    CaptionProgram = 0,
    CaptionCommandLine = 1,
    CaptionInterval = 2,
    CaptionDefault = 3,
    CaptionOpen = 4,
    CaptionStart = 5,
    CaptionQuit = 6,
    CaptionChooseProgram = 7,
    CaptionCurrent = 8,
};

// The opt-in settings beside "Language" and "DInterval"; all 0 or empty when
// absent, which keeps the tool as it was without them.
struct Options {
    int8_t Children = 0; // 1: the program and every process it starts
    int8_t CpuScale = CpuScaleOneClamped;
    Text LogFile; // empty: no log
};

// The program under observation. The main thread owns all of it. While
// Monitoring is 1 the worker reads ProcessHandle and StopEvent (never
// opening or closing them), writes Tally and appends to Record, and alone
// writes to LogHandle, closing it when the file refuses a line; the main
// thread then only reads Record (and notes the end there), sets StopEvent
// and reads LogFailed. The main thread opens and closes the three handles
// only while no worker runs: before it starts and after it has ended.
struct ObservedProgram {
    Text FileName;
    Text FilePath;
    Text CommandLine;
    Text Directory;
    LaunchRecord* Program = nullptr;
    int32_t ProcessId = 0;
    SystemHandle ProcessHandle; // opened for sampling, closed when the program is let go
    SystemHandle StopEvent;     // ends the worker's pause; lives as long as the process handle
    int32_t WorkerThread = 0;
    PassTally Tally;        // what the passes learned; the worker's while it runs
    uint64_t FirstPass = 0; // the tick of the worker's first pass
    void* Job = nullptr;                // with Children=1; owned by the launch record
    SystemHandle LogHandle;             // the open log file, from the start to the summary
    std::atomic<bool> LogFailed{false}; // a line was refused; not told yet
    RunRecord Record;                   // the run: begun at each start, read by every view
    // What the watch last read of the run's I/O, and with Children=1 each
    // process of the tree: the worker's when it ends, then the main thread's.
    IoFigures Io;
    ProcessList Tree;
    Text SummaryTipText;                // the tooltip's text; main thread only
    int64_t SummaryTipPasses = -1;
};

struct RegistryQuery {
    void* Key = nullptr;
    Text KeyPath;
    uint32_t Value = 0;
    uint32_t ValueType = 0;
    uint32_t ValueSize = 0;
};

struct MonitorState {
    void* Heap = nullptr;
    void* Instance = nullptr;
    void* MemoryInfoFunction = nullptr; // null when the export is missing
    const char* const* TableCursor = nullptr;
    int32_t LastEvent = 0;
    int32_t LastEventType = 0;
    Text SystemInfoText;
    Text ColonsText;
    Text CaptionsText;
    Text ValuesText;
    Text UnitsText;
    Text ScratchText;
    int8_t DefaultIntervalIndex = 0;
    int8_t IntervalIndex = 0;
    int8_t Language = German;
    std::atomic<int8_t> Monitoring{0};
    std::array<int16_t, IntervalCount> IntervalTable{};
    std::array<Text, 3> SystemInfoPieces;
    std::array<Text, ReadingRows> RowBreaks;
    struct Readings Readings;
    RegistryQuery Registry;
    struct ObservedProgram ObservedProgram;
    struct Options Options;
    int32_t ProcessorCount = 1;
    std::atomic<int8_t> ExtremesSeeded{0};
    std::array<Text, ErrorTextSlots> ErrorTexts;
    std::array<Text, StateTextSlots> StateTexts;
    std::array<Text, CaptionTextSlots> CaptionTexts;
};
