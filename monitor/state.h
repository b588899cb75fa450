// The monitor's one record: everything the tool knows between start-up and
// shut-down. The main thread owns it; the sampling worker writes the readings,
// the sampler and the values text only while Monitoring is 1, and the main
// thread touches them only before the worker starts or after it has ended.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "monitor/run_record.h"
#include "services/text.h"

struct LaunchRecord;

constexpr int32_t ErrorTextSlots = 10;
constexpr int32_t StateTextSlots = 7;
constexpr int32_t CaptionTextSlots = 10;
constexpr int32_t IntervalCount = 10;
constexpr int32_t ReadingRows = 6;

// Languages chosen by the settings key "Language".
constexpr int8_t German = 0;
constexpr int8_t English = 1;

// Rows of the readings block, also the order of the six readings.
enum ReadingRow : int32_t {
    CpuMinimum = 0,
    CpuMaximum = 1,
    RamMinimum = 2,
    RamMaximum = 3,
    CpuCurrent = 4,
    RamCurrent = 5,
};

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

struct Readings {
    int32_t CpuMHz = 0;
    int32_t RamMB = 0;
    // Indexed by ReadingRow. Loads in whole percent; memory in bytes, 64 bits
    // wide so that a working set of 2 GiB or more keeps its true size.
    std::array<int64_t, ReadingRows> Row{};
};

// What the load of the next sample is measured against: the process's kernel
// plus user time (100 ns units) and the tick count (ms) of the previous sample.
// LastLoad is that sample's load before any scale or limit, kept for a pass
// whose tick has not moved.
struct CpuSampler {
    uint64_t LastProcessTime = 0;
    uint32_t LastTickCount = 0;
    int64_t LastLoad = 0;
};

// The opt-in settings beside "Language" and "DInterval"; all 0 or empty when
// absent, which keeps the tool as it was without them.
enum CpuScaleMode : int8_t {
    CpuScaleOneClamped = 0, // whole percent of one processor, 0..100
    CpuScaleMachine = 1,    // percent of the whole machine, 0..100
    CpuScaleOneOpen = 2,    // percent of one processor, no upper limit
};

struct Options {
    int8_t Children = 0; // 1: the program and every process it starts
    int8_t CpuScale = CpuScaleOneClamped;
    Text LogFile; // empty: no log
};

// What the summary of an observation tells: written by the worker while
// Monitoring is 1 and read by the main thread at any time (hence atomic), and
// completed by the main thread once the worker has ended.
struct RunSummary {
    uint64_t StartTick = 0;                  // GetTickCount64 just before the launch
    std::atomic<uint64_t> EndTick{0};        // 0 while the program runs
    std::atomic<uint64_t> ProcessorTime{0};  // kernel plus user, 100 ns units
    std::atomic<int64_t> PeakWorkingSet{0};  // bytes, as the system recorded it
    std::atomic<int32_t> Passes{0};          // passes taken so far
    uint32_t ExitCode = 0;
    bool Ended = false; // ExitCode and EndTick are final
};

struct ObservedProgram {
    Text FileName;
    Text FilePath;
    Text CommandLine;
    Text Directory;
    LaunchRecord* Program = nullptr;
    int32_t ProcessId = 0;
    void* ProcessHandle = nullptr; // opened for sampling; owned by the monitor
    void* StopEvent = nullptr;     // ends the worker's pause; owned by the monitor
    int32_t WorkerThread = 0;
    CpuSampler Sampler;
    void* Job = nullptr;       // with Children=1; owned by the launch record
    void* LogHandle = nullptr; // the open log file; owned by the monitor
    std::atomic<bool> LogFailed{false}; // a line was refused; not told yet
    RunSummary Summary;
    RunRecord Record; // the run: begun at each start, read by every view
    Text SummaryTipText;       // the tooltip's text; main thread only
    int32_t SummaryTipPasses = -1;
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
