// What a process (or a tree of them) read and wrote, and its page faults.
#pragma once

#include <cstdint>
#include <string_view>

// Each figure counts from the process's start; -1: not available (the
// platform does not count it, or it could not be read), never a made-up 0.
struct IoFigures {
    int64_t ReadBytes = -1;
    int64_t WriteBytes = -1;
    int64_t OtherBytes = -1; // neither read nor write: device controls and the like
    int64_t ReadOperations = -1;
    int64_t WriteOperations = -1;
    int64_t OtherOperations = -1;
    int64_t PageFaults = -1; // soft and hard together, as the system counts them

    bool Any() const {
        return ReadBytes >= 0 || WriteBytes >= 0 || OtherBytes >= 0 || PageFaults >= 0;
    }
};

// The figures of a process from Linux's own accounting of it: io is the
// text of /proc/<pid>/io, stat that of /proc/<pid>/stat. The read and write
// bytes and operations are what passed through the read and write calls
// (rchar, wchar, syscr, syscw), whatever they reached (a file, a pipe, the
// page cache), as the system's own counters count every read and write;
// not read_bytes and write_bytes, which count only what reached the disk.
// Linux keeps no count of the other operations: those stay -1. Page faults
// are the minor and major ones together. A text that cannot be read leaves
// its figures at -1.
IoFigures ParseLinuxIo(std::string_view io, std::string_view stat);

// The figures of a whole from its parts: each figure the sum of the parts
// that have it, -1 while none has.
void AddIo(IoFigures& total, const IoFigures& part);
