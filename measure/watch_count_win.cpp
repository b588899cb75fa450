// Apart from the watch itself: only brenkrun counts the processes, and an
// object file comes into a program whole.
#include "measure/watch_win.h"

int64_t Watch::Processes() const {
    if (!job_) return 1;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    int64_t total = 0;
    if (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                  sizeof accounting, nullptr))
        total = accounting.TotalProcesses;
    return met_.Processes(total);
}
