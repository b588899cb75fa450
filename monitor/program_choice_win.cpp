// The observed program chosen: in the file requester, handed over from
// outside, or through a shortcut; and the command line that comes with it.
#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "monitor/program_win.h"
#include "services/files.h"
#include "services/shell_objects.h"
#include "toolkit/controls.h"
#include "toolkit/requesters.h"

namespace {

constexpr const char* ProgramPatterns = "Executable (*.exe)|*.exe";

void ResetInterval() {
    Monitor.IntervalIndex = Monitor.DefaultIntervalIndex;
    SetControlState(SpinInterval, Monitor.IntervalIndex);
    SetControlText(SpinInterval, IntervalText(Monitor, Monitor.IntervalIndex).c_str());
}

// Forgets the program chosen before, whatever comes of the new choice.
void ForgetChosenProgram() {
    auto& program = Monitor.ObservedProgram;
    FreeText(program.FilePath);
    FreeText(program.FileName);
    SetControlText(FieldProgramName, program.FileName.c_str());
    FreeText(program.CommandLine);
    SetControlText(FieldCommandLine, program.CommandLine.c_str());
    EnableControls({FieldCommandLine, SpinInterval, ButtonStart}, false);
    SetControlText(ColumnValues, "");
    ResetInterval();
}

// The checks and states of a file chosen in the requester (empty: cancelled).
// A shortcut stands for its target, which is checked and taken in its place;
// the shortcut's own arguments come back in *arguments.
bool TakeChosenProgram(const Text& path, Text* arguments) {
    auto& program = Monitor.ObservedProgram;
    program.FilePath = path;
    FreeText(*arguments);
    // One that cannot be read counts as a file that is not there.
    if (IsShortcutName(path) && !ReadShortcut(path.c_str(), &program.FilePath, arguments))
        FreeText(program.FilePath);
    bool opened = false;
    if (!TextEquals(program.FilePath, "") && QueryFileLength(program.FilePath.c_str()) > 0) {
        const Text name = FileNameOf(program.FilePath.c_str());
        if (IsValidFileName(name.c_str())) {
            program.FileName = name;
            AssignText(program.Directory, DirectoryOf(program.FilePath.c_str()));
            SetControlText(FieldProgramName, program.FileName.c_str());
            EnableControls({FieldCommandLine, SpinInterval, ButtonOpen, ButtonStart}, true);
            ShowState(StateOpened);
            opened = true;
        } else {
            ReportError(ErrorForbiddenName);
        }
    } else {
        ShowState(StateNotOpened);
    }
    // The keys go where the next step is: starting it, or choosing again.
    FocusControl(opened ? ButtonStart : ButtonOpen);
    if (!opened) FreeText(*arguments);
    return opened;
}

} // namespace

void OpenObservedProgram() {
    ForgetChosenProgram();
    Text arguments;
    if (TakeChosenProgram(ChooseFileToOpen(Monitor.CaptionTexts[CaptionChooseProgram].c_str(),
                                           Monitor.ObservedProgram.Directory.c_str(),
                                           ProgramPatterns, 0),
                          &arguments))
        HandCommandLine(arguments);
}

bool OpenProgramFile(const char* path, Text* arguments) {
    ForgetChosenProgram();
    return TakeChosenProgram(Text(TextView(path)), arguments);
}

bool HandCommandLine(const Text& arguments) {
    // Cut, it could lose its start in the middle of a quoted path; typed
    // text keeps its last characters instead, as the user sees what goes.
    if (TextLength(arguments) > CommandLineLimit) {
        ReportError(ErrorCommandLineTooLong);
        return false;
    }
    SetControlText(FieldCommandLine, arguments.c_str());
    return true;
}
