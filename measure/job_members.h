// Which processes of a job count as the program. On Windows 8 and later the
// system starts a console host (conhost.exe) for a console program that has
// no console to share, and the host can land in the program's job; it is
// the system's, not the program's, so the tree's figures and its count of
// processes leave it out.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Whether the full image path (in any case) names a console host.
bool IsConsoleHost(std::string_view image);

// The processes a job has held, as they are met.
class JobMembers {
  public:
    // A process of the job met for the first time by its number, with its
    // image path (empty when it could not be read); false for a console
    // host, which does not count.
    bool Meet(uint32_t id, std::string_view image);
    // How many processes the program has had: the job's own count
    // (accounted, which counts the hosts too) without the hosts met, or the
    // processes met where they are more.
    int64_t Processes(int64_t accounted) const;

  private:
    std::vector<uint32_t> met_;
    int64_t hosts_ = 0;
};
