// Two writers on one log at once, each through a handle of its own, as two
// brenk.exe in one folder, or brenk and brenkrun --log, write it.
#include "measure/log_file_win.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

#include "tests/services/service_test_support.h"

namespace {

// One header, and every row of both writers whole and in its writer's order.
TEST(LogFile, TwoWritersAtOnceKeepEveryRowWhole) {
    ScratchFolder folder("log writers");
    const std::string path = folder / "shared.csv";
    constexpr int Rows = 1500;
    const auto row = [](int writer, int number) {
        return std::to_string(writer) + "," + std::to_string(number) + ",0,0,0,0,0,0\r\n";
    };
    const auto write = [&path, &row](int writer) {
        const OwnedHandle log = OpenLog(path.c_str());
        for (int number = 0; number < Rows; ++number)
            EXPECT_TRUE(AppendWholeLine(log.get(), row(writer, number)));
    };
    std::thread first(write, 1);
    std::thread second(write, 2);
    first.join();
    second.join();
    std::istringstream lines(ReadWholeFile(path));
    int headers = 0;
    int next[3] = {0, 0, 0};
    for (std::string line; std::getline(lines, line);) {
        line += '\n';
        if (line == LogHeaderLine()) {
            ++headers;
            continue;
        }
        const int writer = line[0] == '2' ? 2 : 1;
        EXPECT_EQ(line, row(writer, next[writer]++));
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(next[1], Rows);
    EXPECT_EQ(next[2], Rows);
}

} // namespace
