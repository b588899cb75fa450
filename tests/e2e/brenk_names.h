// What the robots know brenk's window by: its controls' numbers and the
// English texts it shows.
#pragma once

// Controls of brenk's window, by their numbers (the native identifiers).
enum Control : int {
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

const char* const WindowTitle = "Brenk v0.1b";
const char* const ErrorBoxTitle = "Guru-Attack!";
const char* const Credit = "Brenk v0.1b by the Brenk project";
const char* const RequesterTitle = "Choose Program...";
const char* const StatusNotOpened = "Program not opened !";
const char* const StatusOpened = "Program opened";
const char* const StatusStarted = "Program started";
const char* const StatusRunning = "Program is running...";
const char* const StatusTerminated = "Program terminated";
// How the requester names the drive root C:\ it starts in: by the drive's
// label (none here) and its letter.
const char* const FirstLookIn = " (C:)";
