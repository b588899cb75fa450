#include "services/process_io_win.h"

#include "services/process_times_wine.h"

namespace {

IoFigures FromCounters(const IO_COUNTERS& io) {
    IoFigures figures;
    figures.ReadBytes = static_cast<int64_t>(io.ReadTransferCount);
    figures.WriteBytes = static_cast<int64_t>(io.WriteTransferCount);
    figures.OtherBytes = static_cast<int64_t>(io.OtherTransferCount);
    figures.ReadOperations = static_cast<int64_t>(io.ReadOperationCount);
    figures.WriteOperations = static_cast<int64_t>(io.WriteOperationCount);
    figures.OtherOperations = static_cast<int64_t>(io.OtherOperationCount);
    return figures;
}

} // namespace

IoFigures ProcessIo::Read() {
    if (RunningUnderWine()) {
        if (!looked_) {
            looked_ = true;
            if (!linuxPid_) linuxPid_ = FindLinuxProcess(process_);
            if (linuxPid_) {
                linuxIo_ = OpenLinuxProcessFile(linuxPid_, "io");
                linuxStat_ = OpenLinuxProcessFile(linuxPid_, "stat");
            }
        }
        char io[1024];
        char stat[1024];
        if (!linuxIo_.valid() || !linuxStat_.valid()) return {};
        return ParseLinuxIo(ReadLinuxText(linuxIo_.get(), io),
                            ReadLinuxText(linuxStat_.get(), stat));
    }
    IoFigures figures;
    IO_COUNTERS io{};
    if (GetProcessIoCounters(process_, &io)) figures = FromCounters(io);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (memory_ && memory_(process_, &counters, sizeof counters))
        figures.PageFaults = counters.PageFaultCount;
    return figures;
}

IoFigures ReadJobIo(HANDLE job) {
    JOBOBJECT_BASIC_AND_IO_ACCOUNTING_INFORMATION accounting{};
    if (RunningUnderWine() ||
        !QueryInformationJobObject(job, JobObjectBasicAndIoAccountingInformation, &accounting,
                                   sizeof accounting, nullptr))
        return {};
    IoFigures figures = FromCounters(accounting.IoInfo);
    figures.PageFaults = accounting.BasicInfo.TotalPageFaultCount;
    return figures;
}
