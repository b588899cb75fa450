// Modal requesters: the open-file requester and the message box. While one is
// up, the calling thread's other windows take no input.
#pragma once

#include <cstdint>

#include "services/text.h"

// The file requester's result buffer, terminator included.
constexpr int32_t RequesterPathRoom = 260;

// Platform-neutral helpers.

// "Name|*.ext|Name2|*.a;*.b" as the native list: every "|" becomes a zero byte,
// and the text ends with one more zero byte (so an empty name ends the list).
// A null list counts as empty.
Text NativePatternList(const char* patterns);

// Where the file requester starts for a default file: the part before its last
// backslash (when that backslash is not the first character) is the directory,
// the part after it the name; without such a backslash the whole default file
// is the name. The name is kept only when it is a valid file name.
struct RequesterStart {
    Text directory;
    Text name;
};
RequesterStart RequesterStartOf(const char* defaultFile);

#ifdef _WIN32
#include <windows.h>

// Lets the user choose an existing directory and a file name in it. What the
// dialog needs is loaded and prepared on the first call on each thread. The full
// path (at most 259 characters), or empty on cancel or failure. position
// selects the pattern shown first (0 = the first pair).
Text ChooseFileToOpen(const char* title, const char* defaultFile, const char* patterns,
                      int32_t position);

// A modal box with text, title and one OK button, no icon; the code of the
// button pressed.
int32_t ShowMessageBox(const char* title, const char* text);

// The window a requester belongs to: the foreground window when it belongs to
// this process, else the calling thread's first shown window that no other
// window owns; null when there is none.
HWND DialogOwner();

// Disables the calling thread's visible, enabled top-level windows other than
// the foreground window and the requester's owner (DialogOwner), and
// remembers them for this thread.
void SuspendOtherWindows();

// Re-enables the windows that SuspendOtherWindows disabled for this thread.
void ResumeOtherWindows();

// Windows currently disabled by SuspendOtherWindows, over all threads.
int32_t SuspendedWindowCount();
#endif
