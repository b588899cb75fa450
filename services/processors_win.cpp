#include "services/processors.h"

#include <windows.h>

namespace {

using ProcessorCountFunction = DWORD(WINAPI*)(WORD);

} // namespace

int32_t CountMachineProcessors() {
    // Looked up, not imported: a system without processor groups answers
    // with the one group it has.
    const auto allGroups = reinterpret_cast<ProcessorCountFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetActiveProcessorCount")));
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return MachineProcessors(allGroups ? allGroups(ALL_PROCESSOR_GROUPS) : 0,
                             system.dwNumberOfProcessors);
}
