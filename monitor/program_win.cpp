// The observed program's state as the window shows it: the status bar's
// text and which controls are offered.
#include "monitor/program_win.h"

#include "monitor/monitor_win.h"
#include "toolkit/controls.h"
#include "toolkit/statusbar.h"

void EnableControls(std::initializer_list<int32_t> controls, bool enable) {
    for (int32_t control : controls)
        DisableControl(control, enable ? 0 : 1);
}

void ShowState(int8_t state) {
    if (state < 0 || state >= StateTextSlots) return;
    SetStatusText(MainStatusBar, 0, Monitor.StateTexts[state].c_str(), 0);
}
