#include "measure/job_members.h"

#include <gtest/gtest.h>

namespace {

// A console program's job as Windows 8 and later may list it: the program,
// its console host (met twice), a child, a process of no readable name. The
// host counts neither as a member nor in the number, whatever the job says.
TEST(JobMembers, LeaveTheConsoleHostOut) {
    JobMembers members;
    EXPECT_TRUE(members.Meet(40, "C:\\Tools\\build.exe"));
    EXPECT_FALSE(members.Meet(44, "C:\\Windows\\System32\\conhost.exe"));
    EXPECT_FALSE(members.Meet(44, "C:\\WINDOWS\\system32\\CONHOST.EXE"));
    EXPECT_TRUE(members.Meet(48, "C:\\Tools\\myconhost.exe"));
    EXPECT_TRUE(members.Meet(52, ""));
    EXPECT_EQ(members.Processes(4), 3) << "the job counted the host";
    EXPECT_EQ(members.Processes(7), 6) << "processes no pass met";
}

} // namespace
