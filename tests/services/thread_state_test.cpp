#include "services/thread_state.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Records the order in which states of two kinds are destroyed.
std::vector<int> destroyed;

struct FirstKind {
    PerThreadStateCount counted;
    int value = 0;
    ~FirstKind() { destroyed.push_back(1); }
};

struct SecondKind {
    PerThreadStateCount counted;
    ~SecondKind() { destroyed.push_back(2); }
};

PerThreadState<FirstKind> firstStates;
PerThreadState<SecondKind> secondStates;

TEST(PerThreadState, EachThreadHasItsOwnObjectUntilItEnds) {
    const int32_t before = LivePerThreadStates();
    FirstKind* mine = &firstStates.get();
    mine->value = 1;
    EXPECT_EQ(&firstStates.get(), mine) << "the same object on every call";

    FirstKind* theirs = nullptr;
    int32_t whileRunning = 0;
    std::thread other([&] {
        theirs = &firstStates.get();
        theirs->value = 2;
        whileRunning = LivePerThreadStates();
    });
    other.join();
    EXPECT_NE(theirs, mine);
    EXPECT_EQ(whileRunning, before + 2);
    EXPECT_EQ(LivePerThreadStates(), before + 1) << "the ended thread's object is gone";
    EXPECT_EQ(mine->value, 1);
    ReleaseThreadStates();
    EXPECT_EQ(LivePerThreadStates(), before);
}

TEST(PerThreadState, ReleaseDestroysNewestKindFirstAndLaterUseStartsAfresh) {
    const int32_t before = LivePerThreadStates();
    std::thread worker([] {
        destroyed.clear();
        firstStates.get().value = 5;
        secondStates.get();
        ReleaseThreadStates();
        const std::vector<int> expected = {2, 1};
        EXPECT_EQ(destroyed, expected);
        EXPECT_EQ(firstStates.get().value, 0) << "a fresh object after the release";
    });
    worker.join();
    EXPECT_EQ(LivePerThreadStates(), before);
}

TEST(PerThreadState, UnknownKindsHoldNothing) {
    EXPECT_EQ(ThreadStateOf(-1), nullptr);
    EXPECT_EQ(ThreadStateOf(ThreadStateKinds), nullptr);
    EXPECT_FALSE(SetThreadState(ThreadStateKinds, nullptr));
    EXPECT_EQ(RegisterThreadStateKind(nullptr), -1);
}

} // namespace
