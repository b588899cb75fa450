// The main window with its status bar and nineteen controls, and the dispatch
// of their events.
#include "monitor/history_window_win.h"
#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "monitor/readings.h"
#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/statusbar.h"
#include "toolkit/tooltip.h"
#include "toolkit/window.h"

namespace {

constexpr int32_t WindowWidth = 334;
constexpr int32_t WindowHeight = 285;
// A title bar with the system menu and a minimise button; no maximise button
// and no sizing border.
constexpr int32_t MainWindowFlags = WindowTitleBar | WindowSystemMenu | WindowMinimiseBox;
static_assert(MainWindowFlags == 0xCA0000);
constexpr int32_t LightGrey = 0xEFEFEF;
// Wider than any figure the window will show: a working set of 15 digits is
// more memory than any Windows can hold; the clock and the installed memory
// likewise.
constexpr int64_t WidestReading = 888'888'888'888'888;
constexpr const char* WidestMHz = "88888";
constexpr const char* WidestMB = "88888888";
constexpr const char* WidestInterval = "10000";

void LimitCommandLineField() {
    const Text text = GetControlText(FieldCommandLine);
    const Text limited = LimitedCommandLine(text);
    // Written back only when it differs: writing an unchanged text would
    // raise another change event, and so on without end.
    if (limited != text) SetControlText(FieldCommandLine, limited.c_str());
}

void FollowSpin() {
    int32_t position = ControlState(SpinInterval);
    if (position < 0) position = 0;
    if (position > IntervalCount - 1) position = IntervalCount - 1;
    Monitor.IntervalIndex = static_cast<int8_t>(position);
    SetControlText(SpinInterval, IntervalText(Monitor, Monitor.IntervalIndex).c_str());
}

// The controls are laid out for the platform's usual font; where the font
// the window really has is wider or taller, the texts get their room.
void FitMainWindowToTexts() {
    Readings widest;
    widest.Row.fill(WidestReading);
    const Text values = ValuesText(widest, Monitor.RowBreaks);
    Text systemInfo = Monitor.SystemInfoPieces[0];
    AppendText(systemInfo, WidestMHz);
    AppendText(systemInfo, Monitor.SystemInfoPieces[1]);
    AppendText(systemInfo, WidestMB);
    AppendText(systemInfo, Monitor.SystemInfoPieces[2]);
    FitControlsToTexts({{ColumnValues, values.c_str()},
                        {TextSystemInfo, systemInfo.c_str()},
                        {SpinInterval, WidestInterval}});
}

} // namespace

void BuildMainWindow() {
    if (!NewWindow(MainWindow, 0, 0, WindowWidth, WindowHeight, MainWindowTitle, MainWindowFlags))
        ReportError(ErrorNoWindow);
    if (!NewStatusBar(MainStatusBar, WindowNativeHandle(MainWindow))) ReportError(ErrorNoStatusBar);
    AddStatusField(WindowWidth);
    ShowState(StateCredit);

    const auto& caption = Monitor.CaptionTexts;
    NewFrame(FrameTop, 1, 1, 332, 80, "", FrameSunkenThin);
    NewFrame(SeparatorUpper, 0, 85, 334, 3, "", FrameSunkenThin);
    NewFrame(SeparatorLower, 0, 115, 334, 3, "", FrameSunkenThin);
    NewFrame(FrameReadings, 1, 140, 332, 118, "", FrameSunkenThin);
    NewLabel(LabelProgram, 5, 8, 130, 20, caption[CaptionProgram].c_str(), LabelLeft);
    NewLabel(LabelCommandLine, 5, 33, 130, 20, caption[CaptionCommandLine].c_str(), LabelLeft);
    NewLabel(LabelInterval, 5, 58, 130, 20, caption[CaptionInterval].c_str(), LabelLeft);
    NewLabel(LabelDefaultInterval, 210, 58, 119, 20, DefaultIntervalCaption(Monitor).c_str(),
             LabelCentred);

    NewTextField(FieldProgramName, 145, 5, 184, 20, "", FieldReadOnly);
    NewTextField(FieldCommandLine, 145, 30, 184, 20, "", 0);
    NewSpin(SpinInterval, 145, 55, 60, 20, 0, IntervalCount - 1, SpinReadOnly);
    SetControlText(SpinInterval, IntervalText(Monitor, Monitor.IntervalIndex).c_str());

    NewButton(ButtonOpen, 7, 91, 100, 20, caption[CaptionOpen].c_str(), 0);
    NewButton(ButtonStart, 117, 91, 100, 20, caption[CaptionStart].c_str(), 0);
    NewButton(ButtonQuit, 227, 91, 100, 20, caption[CaptionQuit].c_str(), 0);
    NewLabel(TextSystemInfo, 5, 122, 324, 18, "", LabelCentred);
    NewLabel(ColumnCaptions, 5, 146, 100, 110, Monitor.CaptionsText.c_str(), LabelLeft);
    NewLabel(ColumnColons, 106, 146, 8, 110, Monitor.ColonsText.c_str(), LabelLeft);
    NewLabel(ColumnValues, 116, 146, 120, 110, "", LabelRight);
    NewLabel(ColumnUnits, 250, 146, 30, 110, Monitor.UnitsText.c_str(), LabelLeft);
    // The summary of the observation rests over the readings block; without
    // a tooltip the window works all the same.
    AttachTooltip(FrameReadings, "");
    FitMainWindowToTexts();

    SetControlColour(FieldCommandLine, ColourBackground, LightGrey);
    SetControlColour(SpinInterval, ColourBackground, LightGrey);

    SetControlTag(FieldCommandLine, ActionCommandLine);
    SetControlTag(SpinInterval, ActionInterval);
    SetControlTag(ButtonOpen, ActionOpen);
    SetControlTag(ButtonStart, ActionStart);
    SetControlTag(ButtonQuit, ActionQuit);

    // Only ButtonOpen at first: the spin must not move before a program is
    // chosen, which sets the interval back to the default.
    for (int32_t control = FieldProgramName; control <= ButtonQuit; ++control)
        DisableControl(control, 1);
    DisableControl(ButtonOpen, 0);
    // The keys work from the first moment, on the one step there is.
    FocusControl(ButtonOpen);
    AcceptFileDrops(MainWindow, 1);
    AddSystemMenuItem(MainWindow, HistoryMenuCommand, HistoryMenuItem(Monitor.Language));
}

void DispatchControlEvent(int8_t action) {
    switch (action) {
    case ActionCommandLine:
        // Also reached by controls without an action number; the check on
        // the command-line field is harmless for them.
        if (Monitor.LastEventType == TypeTextChanged) LimitCommandLineField();
        break;
    case ActionInterval:
        FollowSpin();
        break;
    case ActionOpen:
        OpenObservedProgram();
        break;
    case ActionStart:
        StartObservedProgram();
        break;
    case ActionQuit:
        QuitObservedProgram();
        break;
    default:
        break;
    }
}
