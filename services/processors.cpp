#include "services/processors.h"

#include <limits>

int32_t MachineProcessors(uint32_t allGroups, uint32_t ownGroup) {
    const uint32_t count = allGroups ? allGroups : ownGroup;
    if (count == 0) return 1;
    return count > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
               ? std::numeric_limits<int32_t>::max()
               : static_cast<int32_t>(count);
}
