// The memory of a job's processes read as one program at one pass.
#pragma once

#include <cstdint>

// The live processes of a job, read one after another at a pass. Their
// working sets are summed; the pass's peak is what it proves was in memory
// at one moment: that sum, or one process's own highest working set where
// that is more. Own peaks are never added up: processes that peaked at
// different moments (a build's compilers, one after another) never held
// their peaks together.
class JobMemoryPass {
  public:
    void Add(uint64_t workingSet, uint64_t ownPeak);

    uint64_t WorkingSet() const { return workingSet_; }
    uint64_t Peak() const { return workingSet_ > ownPeak_ ? workingSet_ : ownPeak_; }

  private:
    uint64_t workingSet_ = 0;
    uint64_t ownPeak_ = 0;
};
