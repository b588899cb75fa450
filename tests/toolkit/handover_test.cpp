// Texts set from other threads: applied by the window's own thread, the wait
// returns after each, a GUI thread waiting for the worker never deadlocks,
// and no allocation that fails on either side leaves the lock taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/toolkit/toolkit_drive.h"

namespace {

thread_local bool refuseMemory = false; // this thread's allocations fail while set

} // namespace

// GCC takes this malloc/free pair, inlined everywhere, for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return refuseMemory ? nullptr : std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    void* block = operator new(size, std::nothrow);
    return block ? block : throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

constexpr int32_t TestWindow = 0;
constexpr int32_t LabelValues = 17;

class HandOver : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitWindowSystem();
        InitControlSystem();
        window = NewWindow(TestWindow, 50, 50, 300, 120, "Hand-over test", 0xCA0000);
        NewLabel(LabelValues, 10, 10, 200, 40, "start", 0);
    }
    static void TearDownTestSuite() {
        EndControlSystem();
        EndWindowSystem();
    }
    void SetUp() override {
        ASSERT_NE(ControlNativeHandle(LabelValues), nullptr);
        // Nothing focused and no pointer over the window: no caret or hover
        // timers that would end a wait on their own.
        SetFocus(nullptr);
        MovePointerTo({0, GetSystemMetrics(SM_CYSCREEN) - 1});
        CollectEvents();
    }
    static HWND window;
};
HWND HandOver::window = nullptr;

struct SetOnce {
    HANDLE go;
    const char* text;
};

DWORD WINAPI SetLabelWhenTold(void* parameter) {
    auto* job = static_cast<SetOnce*>(parameter);
    WaitForSingleObject(job->go, INFINITE);
    SetControlText(LabelValues, job->text);
    return 0;
}

struct Watchdog {
    DWORD thread;
    HANDLE done;
};

// Ends a wait that would otherwise never return, so that the test fails on
// its time check instead of hanging.
DWORD WINAPI WakeAfterThreeSeconds(void* parameter) {
    auto* dog = static_cast<Watchdog*>(parameter);
    if (WaitForSingleObject(dog->done, 3000) == WAIT_TIMEOUT)
        PostThreadMessageA(dog->thread, WM_NULL, 0, 0);
    return 0;
}

TEST_F(HandOver, WorkerTextEndsAnUnlimitedWaitWithinASecond) {
    for (int round = 0; round < 3; ++round) {
        const std::string text = "reading " + std::to_string(round);
        SetOnce job{CreateEventA(nullptr, TRUE, FALSE, nullptr), text.c_str()};
        Watchdog dog{GetCurrentThreadId(), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        HANDLE worker = CreateThread(nullptr, 0, SetLabelWhenTold, &job, 0, nullptr);
        HANDLE watchdog = CreateThread(nullptr, 0, WakeAfterThreeSeconds, &dog, 0, nullptr);
        ASSERT_TRUE(worker && watchdog);

        const ULONGLONG start = GetTickCount64();
        SetEvent(job.go);
        std::vector<int32_t> codes;
        // The monitor's loop: wait without limit, look around after every return.
        while (GetControlText(LabelValues) != text && GetTickCount64() - start < 3500)
            codes.push_back(WaitEvent(-1));
        const ULONGLONG elapsed = GetTickCount64() - start;
        SetEvent(dog.done);

        EXPECT_EQ(GetControlText(LabelValues), text);
        EXPECT_LT(elapsed, 1000u) << "round " << round;
        // The window reports the change as a repaint for the program's loop.
        for (const EventRow& row : CollectEvents())
            codes.push_back(row.code);
        EXPECT_NE(std::find(codes.begin(), codes.end(), EventRepaint), codes.end());
        EXPECT_EQ(LastEventWindow(), TestWindow);

        // A worker stuck in its hand-over fails here instead of hanging.
        EXPECT_EQ(WaitForSingleObject(worker, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(WaitForSingleObject(watchdog, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(worker);
        CloseHandle(watchdog);
        CloseHandle(job.go);
        CloseHandle(dog.done);
    }
}

DWORD WINAPI SetLabelOnce(void* parameter) {
    SetControlText(LabelValues, static_cast<const char*>(parameter));
    return 0;
}

TEST_F(HandOver, ATextSetHereLaterWinsOverAnOlderHandOver) {
    HANDLE worker = CreateThread(nullptr, 0, SetLabelOnce, const_cast<char*>("older"), 0, nullptr);
    ASSERT_NE(worker, nullptr);
    // A bare wait serves nothing: the worker's text is left waiting.
    ASSERT_EQ(WaitForSingleObject(worker, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(worker);
    SetControlText(LabelValues, "newer");
    CollectEvents();
    EXPECT_EQ(GetControlText(LabelValues), "newer");
}

TEST_F(HandOver, ThousandWorkersWaitedForNeverDeadlock) {
    std::string texts[2];
    for (int i = 0; i < 1000; ++i) {
        texts[i % 2] = std::to_string(i);
        HANDLE worker = CreateThread(nullptr, 0, SetLabelOnce, texts[i % 2].data(), 0, nullptr);
        ASSERT_NE(worker, nullptr);
        // Alternately as the monitor's quit path does, and with a bare wait
        // that serves nothing: the worker must not need the GUI thread.
        DWORD waited =
            i % 2 ? WaitForThreadPumping(worker, 5000) : WaitForSingleObject(worker, 5000);
        ASSERT_EQ(waited, WAIT_OBJECT_0) << "worker " << i;
        CloseHandle(worker);
        WaitEvent(0);
    }
    EXPECT_TRUE(PumpUntil([] { return GetControlText(LabelValues) == "999"; }));
}

DWORD WINAPI SetLabelThousandTimes(void*) {
    for (int i = 0; i < 1000; ++i)
        SetControlText(LabelValues, std::to_string(i).c_str());
    return 0;
}

TEST_F(HandOver, ThousandUpdatesWhileTheGuiThreadAlternatesWaits) {
    HANDLE worker = CreateThread(nullptr, 0, SetLabelThousandTimes, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    const ULONGLONG start = GetTickCount64();
    DWORD waited = WAIT_TIMEOUT;
    for (int turn = 0; waited != WAIT_OBJECT_0 && GetTickCount64() - start < 20000; ++turn) {
        if (turn % 2)
            waited = WaitForThreadPumping(worker, 5);
        else
            WaitEvent(5);
    }
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    CloseHandle(worker);
    // The last text wins, however the hand-overs were merged.
    EXPECT_TRUE(PumpUntil([] { return GetControlText(LabelValues) == "999"; }));
}

struct OwnWindow {
    int32_t closeCode = 0;
    int32_t closeWindow = -1;
    int32_t statesInside = 0;
};

DWORD WINAPI OpenOwnWindow(void* parameter) {
    auto* seen = static_cast<OwnWindow*>(parameter);
    HWND own = NewWindow(1, 0, 0, 100, 50, "own", 0xCA0000 | WindowHidden | WindowNoContainer);
    if (!own) return 1;
    PostMessageA(own, WM_CLOSE, 0, 0);
    const ULONGLONG start = GetTickCount64();
    while (seen->closeCode != EventCloseWindow && GetTickCount64() - start < 3000) {
        const int32_t code = WaitEvent(100);
        if (code == EventCloseWindow) {
            seen->closeCode = code;
            seen->closeWindow = LastEventWindow();
        }
    }
    seen->statesInside = LivePerThreadStates();
    DisposeWindow(1);
    return 0;
}

TEST_F(HandOver, EachThreadSeesOnlyItsOwnWindowsEvents) {
    const int32_t statesBefore = LivePerThreadStates();
    OwnWindow seen;
    HANDLE other = CreateThread(nullptr, 0, OpenOwnWindow, &seen, 0, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(WaitForThreadPumping(other, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(other);
    EXPECT_EQ(seen.closeCode, EventCloseWindow);
    EXPECT_EQ(seen.closeWindow, 1);
    EXPECT_EQ(seen.statesInside, statesBefore + 1);
    EXPECT_EQ(LivePerThreadStates(), statesBefore); // released when the thread ended
    EXPECT_TRUE(OnlyCode(CollectEvents(), EventCloseWindow).empty());
    EXPECT_EQ(WindowNativeHandle(1), nullptr);
}

constexpr int32_t LabelTheirs = 30;
HANDLE theirsMade, theirsDone;

DWORD WINAPI KeepLabelInOwnWindow(void*) {
    NewWindow(1, 0, 0, 100, 50, "theirs", 0xCA0000 | WindowHidden);
    NewLabel(LabelTheirs, 5, 5, 60, 20, "theirs", 0);
    SetControlColour(LabelTheirs, ColourBackground, 0xEFEFEF);
    SetEvent(theirsMade);
    while (WaitForSingleObject(theirsDone, 0) == WAIT_TIMEOUT)
        WaitEvent(20);
    DisposeWindow(1);
    return 0;
}

// Another thread's control cannot be destroyed here, so it is not replaced:
// its record keeps its native control and brush share until its window goes.
TEST_F(HandOver, AControlOfAnotherThreadStaysWhenItsNumberIsReused) {
    theirsMade = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    theirsDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE other = CreateThread(nullptr, 0, KeepLabelInOwnWindow, nullptr, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(theirsMade, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    HWND theirs = ControlNativeHandle(LabelTheirs);
    EXPECT_EQ(NewLabel(LabelTheirs, 10, 60, 100, 20, "mine", 0), nullptr);
    EXPECT_EQ(ControlNativeHandle(LabelTheirs), theirs);
    SetEvent(theirsDone);
    ASSERT_EQ(WaitForThreadPumping(other, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(SharedBrushUsers(), 0);
    CloseHandle(other);
}

DWORD WINAPI SetLabelWithoutMemory(void* parameter) {
    refuseMemory = true;
    try {
        SetControlText(LabelValues, static_cast<const char*>(parameter));
    } catch (...) {
    }
    refuseMemory = false;
    return 0;
}

// Waits for a worker that sets a text; a worker held by a lock left taken
// ends the test program, which would otherwise hang on that lock.
void RunUntilEnd(LPTHREAD_START_ROUTINE setText, const char* text) {
    HANDLE worker = CreateThread(nullptr, 0, setText, const_cast<char*>(text), 0, nullptr);
    ASSERT_NE(worker, nullptr);
    if (WaitForSingleObject(worker, 5000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "setting \"" << text << "\" waits for a lock that a failure left taken";
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    CloseHandle(worker);
}

TEST_F(HandOver, NoFailedAllocationLeavesTheLockTaken) {
    // The worker's copy of its text finds no memory.
    RunUntilEnd(SetLabelWithoutMemory, "handed over without memory");
    // The window's thread finds none while it takes the texts handed over.
    RunUntilEnd(SetLabelOnce, "applied without memory");
    refuseMemory = true;
    for (int round = 0; round < 100 && (HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE);
         ++round)
        WaitEvent(0);
    refuseMemory = false;
    RunUntilEnd(SetLabelOnce, "after the failures");
    EXPECT_TRUE(PumpUntil([] { return GetControlText(LabelValues) == "after the failures"; }));
}

} // namespace
