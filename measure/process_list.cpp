#include "measure/process_list.h"

#include <algorithm>

namespace {

constexpr uint32_t LiveMark = 0x80000000u;
constexpr int64_t Ms100ns = 10'000;

// A figure that may be unknown (-1) goes as value + 1: 0 is unknown.
void Put(std::vector<uint8_t>& bytes, int64_t value) {
    auto left = static_cast<uint64_t>(value + 1);
    while (left >= 0x80) {
        bytes.push_back(static_cast<uint8_t>(left | 0x80));
        left >>= 7;
    }
    bytes.push_back(static_cast<uint8_t>(left));
}

int64_t Take(const std::vector<uint8_t>& bytes, size_t& at) {
    uint64_t value = 0;
    for (int shift = 0; at < bytes.size(); shift += 7) {
        const uint8_t byte = bytes[at++];
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) break;
    }
    return static_cast<int64_t>(value) - 1;
}

// Processor times in whole ms, as every report gives them.
int64_t WholeMs(int64_t hundreds) {
    return hundreds < 0 ? -1 : hundreds / Ms100ns * Ms100ns;
}

} // namespace

ProcessList::Running* ProcessList::Find(uint32_t pid) {
    for (Running& live : live_)
        if (live.Entry.Pid == pid) return &live;
    return nullptr;
}

const ProcessList::Running* ProcessList::Find(uint32_t pid) const {
    for (const Running& live : live_)
        if (live.Entry.Pid == pid) return &live;
    return nullptr;
}

// A build runs the same few programs many times: each name is kept once.
uint32_t ProcessList::NameIndex(std::string_view name) {
    auto known = std::find(names_.begin(), names_.end(), name);
    if (known == names_.end()) known = names_.insert(names_.end(), std::string(name));
    return static_cast<uint32_t>(known - names_.begin());
}

void ProcessList::Started(uint32_t pid, uint32_t parentPid, std::string_view name, uint64_t ms) {
    if (Find(pid)) return;
    Running live{static_cast<uint32_t>(where_.size()), NameIndex(name), {}};
    live.Entry.Pid = pid;
    live.Entry.ParentPid = parentPid;
    live.Entry.StartMs = static_cast<int64_t>(std::min<uint64_t>(ms, INT32_MAX));
    where_.push_back(LiveMark | static_cast<uint32_t>(live_.size()));
    live_.push_back(live);
}

void ProcessList::Named(uint32_t pid, std::string_view name) {
    if (Running* live = Find(pid)) live->Name = NameIndex(name);
}

void ProcessList::Forget(uint32_t pid) {
    Running* live = Find(pid);
    if (!live) return;
    const uint32_t index = live->Index;
    where_.erase(where_.begin() + index);
    const size_t slot = static_cast<size_t>(live - live_.data());
    live_[slot] = live_.back();
    live_.pop_back();
    for (size_t i = 0; i < live_.size(); ++i) {
        if (live_[i].Index > index) --live_[i].Index;
        where_[live_[i].Index] = LiveMark | static_cast<uint32_t>(i);
    }
}

void ProcessList::Update(uint32_t pid, const ProcessFigures& figures) {
    Running* live = Find(pid);
    if (!live) return;
    ProcessEntry& entry = live->Entry;
    if (figures.TimesRead) {
        entry.User100ns = WholeMs(static_cast<int64_t>(figures.Times.User));
        entry.Kernel100ns = WholeMs(static_cast<int64_t>(figures.Times.Kernel));
    }
    // A peak read as 0 is no reading: a process that ran held memory.
    entry.PeakWorkingSet =
        std::max(entry.PeakWorkingSet, figures.PeakWorkingSet > 0 ? figures.PeakWorkingSet : -1);
    entry.PeakPrivate =
        std::max(entry.PeakPrivate, figures.PeakPrivate > 0 ? figures.PeakPrivate : -1);
    const IoFigures& io = figures.Io;
    int64_t* kept[] = {&entry.Io.ReadBytes,       &entry.Io.WriteBytes,
                       &entry.Io.OtherBytes,      &entry.Io.ReadOperations,
                       &entry.Io.WriteOperations, &entry.Io.OtherOperations,
                       &entry.Io.PageFaults};
    const int64_t read[] = {io.ReadBytes,      io.WriteBytes,      io.OtherBytes,
                            io.ReadOperations, io.WriteOperations, io.OtherOperations,
                            io.PageFaults};
    for (int i = 0; i < 7; ++i)
        if (read[i] >= 0) *kept[i] = read[i];
}

void ProcessList::Ended(uint32_t pid, uint64_t ms, int64_t exitCode) {
    Running* live = Find(pid);
    if (!live) return;
    const ProcessEntry& entry = live->Entry;
    const auto end = static_cast<int64_t>(std::min<uint64_t>(ms, INT32_MAX));
    where_[live->Index] = static_cast<uint32_t>(ended_.size());
    for (const int64_t value :
         {static_cast<int64_t>(live->Name), static_cast<int64_t>(entry.Pid),
          static_cast<int64_t>(entry.ParentPid), entry.StartMs,
          std::max(end, entry.StartMs) - entry.StartMs, exitCode,
          entry.User100ns < 0 ? -1 : entry.User100ns / Ms100ns,
          entry.Kernel100ns < 0 ? -1 : entry.Kernel100ns / Ms100ns, entry.PeakWorkingSet,
          entry.PeakPrivate, entry.Io.ReadBytes, entry.Io.WriteBytes, entry.Io.OtherBytes,
          entry.Io.ReadOperations, entry.Io.WriteOperations, entry.Io.OtherOperations,
          entry.Io.PageFaults})
        Put(ended_, value);
    // The last live process takes the ended one's place.
    const size_t slot = static_cast<size_t>(live - live_.data());
    if (slot + 1 != live_.size()) {
        live_[slot] = live_.back();
        where_[live_[slot].Index] = LiveMark | static_cast<uint32_t>(slot);
    }
    live_.pop_back();
}

ProcessEntry ProcessList::Decode(size_t at) const {
    ProcessEntry entry;
    entry.Name = names_[static_cast<size_t>(Take(ended_, at))];
    entry.Pid = static_cast<uint32_t>(Take(ended_, at));
    entry.ParentPid = static_cast<uint32_t>(Take(ended_, at));
    entry.StartMs = Take(ended_, at);
    entry.EndMs = entry.StartMs + Take(ended_, at);
    entry.ExitCode = Take(ended_, at);
    const auto time = [&] {
        const int64_t ms = Take(ended_, at);
        return ms < 0 ? -1 : ms * Ms100ns;
    };
    entry.User100ns = time();
    entry.Kernel100ns = time();
    for (int64_t* figure :
         {&entry.PeakWorkingSet, &entry.PeakPrivate, &entry.Io.ReadBytes, &entry.Io.WriteBytes,
          &entry.Io.OtherBytes, &entry.Io.ReadOperations, &entry.Io.WriteOperations,
          &entry.Io.OtherOperations, &entry.Io.PageFaults})
        *figure = Take(ended_, at);
    return entry;
}

ProcessEntry ProcessList::At(size_t index) const {
    const uint32_t where = where_[index];
    if (!(where & LiveMark)) return Decode(where);
    const Running& live = live_[where & ~LiveMark];
    ProcessEntry entry = live.Entry;
    entry.Name = names_[live.Name];
    return entry;
}

size_t ProcessList::Bytes() const {
    size_t bytes = where_.capacity() * sizeof(uint32_t) + ended_.capacity() +
                   live_.capacity() * sizeof(Running) + names_.capacity() * sizeof(std::string);
    for (const std::string& name : names_)
        bytes += name.capacity();
    return bytes;
}

std::vector<size_t> LargestProcesses(const ProcessList& list, size_t limit) {
    std::vector<std::pair<int64_t, size_t>> peaks;
    peaks.reserve(list.Size());
    for (size_t i = 0; i < list.Size(); ++i)
        peaks.emplace_back(list.At(i).PeakWorkingSet, i);
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    if (limit && peaks.size() > limit) peaks.resize(limit);
    std::vector<size_t> order;
    for (const auto& peak : peaks)
        order.push_back(peak.second);
    return order;
}
