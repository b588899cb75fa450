// The program's entry: start-up, the event loop, the error box and the
// orderly shut-down.
#include <windows.h>

#include "monitor/history_window_win.h"
#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "measure/summary.h"
#include "services/encoding.h"
#include "services/launcher.h"
#include "services/processors.h"
#include "services/libraries.h"
#include "services/settings.h"
#include "services/thread_state.h"
#include "services/threads.h"
#include "toolkit/controls.h"
#include "toolkit/requesters.h"
#include "toolkit/statusbar.h"
#include "toolkit/window.h"

// Static storage starts cleared, which is the first step of start-up.
MonitorState Monitor;

namespace {

constexpr int32_t PsapiSlot = 0;

void InitialiseServices() {
    // Per-thread text storage, the settings reader's state, the library
    // slots and the launcher's list need no preparation: they are made on
    // first use.
    InitWindowSystem();
    InitControlSystem();
    InitStatusBars();
    InitThreadTable();
}

void RunEventLoop() {
    for (;;) {
        Monitor.LastEvent = WaitEvent(-1);
        Monitor.LastEventType = LastEventType();
        if (Monitor.LastEvent == EventControl) {
            // The tag's low 8 bits, read as signed, are the action number.
            const auto action =
                static_cast<int8_t>(static_cast<uint8_t>(ControlTag(LastEventControl()) & 0xFF));
            DispatchControlEvent(action);
        }
        if (Monitor.LastEvent == EventFilesDropped) OpenDroppedProgram();
        // Every message counts: the worker hands the values column over
        // once more when the observed program ends, which wakes the wait, so
        // a program that ends by itself is noticed at once without input.
        if (Monitor.Monitoring.load() == 1 && !IsProgramAlive(Monitor.ObservedProgram.Program))
            QuitObservedProgram();
        // A log line refused by the worker (or by Quit) is told here, once.
        ReportLogFault();
        // The worker's passes wake the loop, so the tooltip follows them.
        RefreshSummaryTip();
        // The history window opens on its double-click or menu item and
        // follows the passes the same way.
        FollowHistoryWindow(Monitor.LastEvent);
        if (Monitor.LastEvent == EventCloseWindow) break;
    }
}

} // namespace

void ReportError(int8_t code) {
    ShowMessageBox(ErrorBoxTitle, ErrorText(Monitor, code).c_str());
    if (code <= LastFatalError) {
        // Fatal errors arise during start-up only, before any program runs.
        ShutDownServices();
        ExitProcess(0);
    }
}

void ShutDownServices() {
    ReleaseAllThreads();
    ReleaseAllLibraries();
    CloseSettingsFile();
    EndControlSystem();
    EndWindowSystem();
    // The main thread's per-thread states (event state, reader) are not
    // released by any thread end before the process exits; release them here.
    ReleaseThreadStates();
}

void InitialiseMonitor() {
    if (!BindLibrary(PsapiSlot, "Psapi.dll")) ReportError(ErrorNoPsapi);
    // May stay null; the worker then leaves the memory readings at 0.
    Monitor.MemoryInfoFunction = LookUpLibraryFunction(PsapiSlot, "GetProcessMemoryInfo");

    int32_t language = 0;
    int32_t defaultInterval = 0;
    int32_t children = 0;
    int32_t cpuScale = 0;
    Text logFile;
    if (OpenSettingsFile("Brenk.ini")) {
        SelectSettingsGroup("Global");
        language = ReadSettingsNumber("Language", 0);
        defaultInterval = ReadSettingsNumber("DInterval", 0);
        children = ReadSettingsNumber("Children", 0);
        cpuScale = ReadSettingsNumber("CpuScale", 0);
        logFile = TextView(FindSettingsValue("LogFile"));
        CloseSettingsFile();
    } else {
        ReportError(ErrorNoSettingsFile);
    }
    ApplySettings(Monitor, language, defaultInterval);

    AssignText(Monitor.ObservedProgram.Directory, "C:\\");
    AssignText(Monitor.Registry.KeyPath, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
    Monitor.Registry.ValueType = REG_DWORD;
    Monitor.Registry.ValueSize = sizeof(uint32_t);

    ComposeMonitorTexts(Monitor);
    ApplyOptions(Monitor, children, cpuScale, logFile);
    Monitor.ProcessorCount = CountMachineProcessors();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    Monitor.Instance = instance;
    SetProcessTextUtf8(GetACP() == CP_UTF8);
    InitialiseServices();
    InitialiseMonitor();
    BuildMainWindow();
    ShowSystemInfo();
    OpenProgramFromCommandLine(commandLine);
    FollowSessionEnd();
    RunEventLoop();
    // A program still held is quit, whether or not it was being monitored.
    LeaveObservedProgram(true);
    ShutDownServices();
    return 0;
}
