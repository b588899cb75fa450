#include "measure/log_file_win.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "tests/services/service_test_support.h"

namespace {

// Two writers on one log at once, as two brenk.exe in one folder or brenk and
// brenkrun --log: one header, every row whole and in its writer's order.
TEST(LogFile, TwoWritersAtOnceKeepEveryRowWhole) {
    ScratchFolder folder("log writers");
    const std::string path = folder / "shared.csv";
    const auto row = [](int writer, int number) {
        return std::to_string(writer) + "," + std::to_string(number) + ",0,0,0,0,0,0\r\n";
    };
    const auto write = [&](int writer) {
        const OwnedHandle log = OpenLog(path.c_str());
        for (int number = 0; number < 1500; ++number)
            EXPECT_TRUE(AppendWholeLine(log.get(), row(writer, number)));
    };
    std::thread first(write, 1);
    write(2);
    first.join();
    std::istringstream lines(ReadWholeFile(path));
    int next[3] = {-1, 0, 0}; // the header, then each writer's rows
    for (std::string line; std::getline(lines, line);) {
        const int writer = line[0] == 'T' ? 0 : line[0] == '2' ? 2 : 1;
        EXPECT_EQ(line + '\n', writer ? row(writer, next[writer]) : Text(LogHeaderLine()));
        ++next[writer];
    }
    EXPECT_EQ(next[0] + next[1] + next[2], 3000) << "one header, every row";
}

} // namespace
