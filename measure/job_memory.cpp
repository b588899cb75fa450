#include "measure/job_memory.h"

void JobMemoryPass::Add(uint64_t workingSet, uint64_t ownPeak) {
    workingSet_ += workingSet;
    if (ownPeak > ownPeak_) ownPeak_ = ownPeak;
}
