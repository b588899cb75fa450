// Memory the small test programs hold, brought into their working set.
#pragma once

#include <windows.h>

// Commits size bytes and writes every page, which brings it into the working
// set; false when the memory cannot be had. The block stays until the end.
inline bool HoldMemory(SIZE_T size) {
    if (!size) return true;
    auto* block = static_cast<volatile char*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!block) return false;
    for (SIZE_T at = 0; at < size; at += 4096)
        block[at] = 1;
    return true;
}
