// How many logical processors the machine has, for a load shared by all.
#pragma once

#include <cstdint>

// The logical processors a machine-wide load is shared by: those of all
// processor groups (allGroups; 0 when the system cannot count them), else
// those of the caller's own group, which is all of them on a machine of up
// to 64. At least 1.
int32_t MachineProcessors(uint32_t allGroups, uint32_t ownGroup);

#ifdef _WIN32
// The machine's count as the system tells it.
int32_t CountMachineProcessors();
#endif
