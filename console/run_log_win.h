// The readings log of a console run, in the window's format: the header of
// a new file, the program's line, a row per pass and the summary's line.
#pragma once

#include <windows.h>

#include "services/owned_handle.h"
#include "services/text.h"

class RunLog {
  public:
    // Opens (or continues) the file; false when it cannot be written.
    bool Open(const Text& path);
    // The whole line or nothing; a file that refuses one is given up, and
    // Failed says so.
    void Write(const Text& line);
    bool Failed() const { return failed_; }

  private:
    OwnedHandle file_;
    bool failed_ = false;
};
