#include "measure/job_members.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// A console program's job as Windows 8 and later may list it: the program,
// the console host the system started for it, a child, and the host again
// at the next look. The host counts neither as a member nor in the number
// of processes, whatever the job's own count says; a process met twice
// counts once.
TEST(JobMembers, LeaveTheConsoleHostOut) {
    JobMembers members;
    const std::pair<uint32_t, const char*> listed[] = {
        {40, "C:\\Tools\\build.exe"},      {44, "C:\\Windows\\System32\\conhost.exe"},
        {48, "C:\\Tools\\conhost.exe.bak"}, {44, "C:\\WINDOWS\\system32\\CONHOST.EXE"},
        {52, ""},                           {40, "C:\\Tools\\build.exe"}};
    int counted = 0;
    for (const auto& [id, image] : listed)
        counted += members.Meet(id, image) ? 1 : 0;
    EXPECT_EQ(counted, 4);
    EXPECT_EQ(members.Processes(4), 3) << "the job counted the host";
    EXPECT_EQ(members.Processes(0), 3) << "the job's count could not be read";
    EXPECT_EQ(members.Processes(7), 6) << "processes the passes never met";
    EXPECT_FALSE(IsConsoleHost("onhost.exe"));
}

} // namespace
