// The toolkit's platform-neutral half: event stream, number tables, window
// placement, focus order, spin split, colour decisions and shared brushes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <set>
#include <thread>
#include <vector>

#include "toolkit/brush_pool.h"
#include "toolkit/control_layout.h"
#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/number_table.h"
#include "toolkit/window.h"
#include "toolkit/window_layout.h"

namespace {

std::atomic<bool> refuseMemory{false}; // every allocation fails while set

} // namespace

// GCC takes this malloc/free pair, inlined everywhere, for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    void* block = refuseMemory ? nullptr : std::malloc(size ? size : 1);
    return block ? block : throw std::bad_alloc();
}
// The queue asks without exceptions; under the sanitizers this form is not
// routed through the one above, so it refuses on its own.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return refuseMemory ? nullptr : std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

std::vector<QueuedEvent> Drain(EventQueue& queue) {
    std::vector<QueuedEvent> out;
    QueuedEvent event;
    while (queue.TakeFirst(&event))
        out.push_back(event);
    return out;
}

TEST(EventQueue, DropsOnlyARepeatOfTheLastPair) {
    EventQueue queue;
    queue.Append(EventMoved, 0);
    queue.Append(EventMoved, 0); // repeat: dropped
    queue.Append(EventMoved, 1); // other window: kept
    queue.Append(EventRepaint, 1);
    queue.Append(EventMoved, 1); // not the last pair any more: kept
    queue.Append(EventMoved, 1); // repeat: dropped
    const std::vector<QueuedEvent> expected = {
        {EventMoved, 0}, {EventMoved, 1}, {EventRepaint, 1}, {EventMoved, 1}};
    EXPECT_EQ(Drain(queue), expected);
    // Once taken, the same pair may be queued again.
    queue.Append(EventMoved, 1);
    EXPECT_EQ(queue.Size(), 1);
}

// Events are queued inside window procedures, which no exception may leave.
TEST(EventQueue, AnEventFindingNoMemoryIsDropped) {
    EventQueue queue;
    queue.Append(EventMoved, 0);
    bool threw = false;
    refuseMemory = true;
    try {
        queue.Append(EventMoved, 1);
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    refuseMemory = false;
    EXPECT_FALSE(threw);
    queue.Append(EventRepaint, 2); // room again: queued after the first
    const std::vector<QueuedEvent> expected = {{EventMoved, 0}, {EventRepaint, 2}};
    EXPECT_EQ(Drain(queue), expected);
}

TEST(EventState, WaitStepsReportQueuedThenPendingWithTypes) {
    EventState state;
    EXPECT_EQ(state.lastType, TypeNone);

    // Raised inside a wait (after step 1): the type survives.
    state.BeginWait();
    EXPECT_EQ(state.TakeQueued(), EventNone);
    state.RaiseControl(7, TypeTextUpdating);
    state.RaiseControl(7, TypeTextChanged); // same dispatch: overwrites
    EXPECT_EQ(state.TakePending(), EventControl);
    EXPECT_EQ(state.lastControl, 7);
    EXPECT_EQ(state.lastType, TypeTextChanged);
    EXPECT_EQ(state.TakePending(), EventNone);

    // Raised outside a wait (the program set a text): the next wait's first
    // step forgets the type, so it can never read as a typed change.
    state.RaiseControl(9, TypeTextChanged);
    state.BeginWait();
    EXPECT_EQ(state.TakeQueued(), EventNone);
    EXPECT_EQ(state.TakePending(), EventControl);
    EXPECT_EQ(state.lastControl, 9);
    EXPECT_EQ(state.lastType, TypeNone);

    // Window events leave the control alone and set the window.
    state.RaiseWindow(EventCloseWindow, 3);
    state.BeginWait();
    EXPECT_EQ(state.TakeQueued(), EventCloseWindow);
    EXPECT_EQ(state.lastWindow, 3);
    EXPECT_EQ(state.lastControl, 9);
    EXPECT_EQ(state.lastType, TypeNone);
}

TEST(EventState, OnePerThreadReleasedAtItsEnd) {
    const int32_t before = LivePerThreadStates();
    static PerThreadState<EventState> states;
    std::thread worker([before] {
        states.get().RaiseWindow(EventMoved, 0);
        EXPECT_EQ(states.get().queue.Size(), 1);
        EXPECT_EQ(LivePerThreadStates(), before + 1);
    });
    worker.join();
    EXPECT_EQ(LivePerThreadStates(), before);
}

TEST(NumberTable, GrowsInWholeBlocksAndKeepsRecordsInPlace) {
    EXPECT_EQ(PowerOfTwoAtLeast(50), 64);
    EXPECT_EQ(PowerOfTwoAtLeast(64), 64);
    EXPECT_EQ(PowerOfTwoAtLeast(1), 1);
    struct Row {
        int32_t from, room, block, expected;
    };
    const Row rows[] = {
        {0, 16, 16, 16},  {15, 16, 16, 16},  {16, 16, 16, 32},   {40, 16, 16, 48},
        {63, 64, 64, 64}, {64, 64, 64, 128}, {200, 64, 64, 256},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RoomFor(row.from, row.room, row.block), row.expected) << row.from;

    NumberTable<int32_t> table(16, 16);
    EXPECT_EQ(table.Room(), 16);
    EXPECT_EQ(table.Find(16), nullptr);
    EXPECT_EQ(table.Take(-1), nullptr);
    int32_t* first = table.Take(3);
    *first = 42;
    table.Take(100); // grows by several blocks
    EXPECT_EQ(table.Room(), 112);
    EXPECT_EQ(table.Find(3), first); // not moved by the growth
    EXPECT_EQ(*first, 42);
    EXPECT_EQ(*table.Find(100), 0);
}

TEST(NumberTable, ConcurrentTakesAllLand) {
    NumberTable<int32_t> table(64, 64);
    std::vector<std::thread> threads;
    for (int32_t t = 0; t < 4; ++t)
        threads.emplace_back([&table, t] {
            for (int32_t n = t; n < 2000; n += 4)
                *table.Take(n) = n + 1;
        });
    for (auto& thread : threads)
        thread.join();
    for (int32_t n = 0; n < 2000; ++n)
        ASSERT_EQ(*table.Find(n), n + 1);
}

TEST(WindowLayout, StyleFromFlags) {
    struct Row {
        int32_t flags, style;
    };
    const Row rows[] = {
        {0, WindowTitleBar},
        {WindowCentreOnScreen | WindowNoContainer | WindowHidden, WindowTitleBar},
        {WindowCentreOnActive, WindowTitleBar},
        // The monitor's window: title bar, system menu, minimise box.
        {0xCA0000, 0xCA0000},
        {0xCA0000 | WindowCentreOnScreen | WindowHidden, 0xCA0000},
        {WindowMinimiseBox, WindowMinimiseBox}, // a style of its own: no title bar added
        {WindowMaximised | WindowTitleBar, WindowMaximised | WindowTitleBar},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WindowStyleOf(row.flags), row.style) << std::hex << row.flags;
}

TEST(WindowLayout, Placement) {
    const WindowRect active{100, 50, 400, 300};
    struct Row {
        const char* what;
        int32_t x, y, w, h, flags;
        const WindowRect* active;
        WindowRect expected;
        bool platformDefault;
    };
    const Row rows[] = {
        {"as given", 10, 20, 300, 200, 0, nullptr, {10, 20, 300, 200}, false},
        {"default x",
         DefaultPosition,
         20,
         300,
         200,
         0,
         nullptr,
         {DefaultPosition, 20, 300, 200},
         true},
        {"default y",
         5,
         DefaultPosition,
         300,
         200,
         0,
         nullptr,
         {5, DefaultPosition, 300, 200},
         true},
        {"centred, halves toward zero",
         0,
         0,
         301,
         201,
         WindowCentreOnScreen,
         nullptr,
         {489, 411, 301, 201},
         false},
        {"centred beats default",
         DefaultPosition,
         DefaultPosition,
         300,
         200,
         WindowCentreOnScreen,
         nullptr,
         {490, 412, 300, 200},
         false},
        {"larger than the screen",
         0,
         0,
         2000,
         1500,
         WindowCentreOnScreen,
         nullptr,
         {0, 0, 1280, 1024},
         false},
        {"on active", 0, 0, 200, 100, WindowCentreOnActive, &active, {200, 150, 200, 100}, false},
        {"on active, clamped to 0",
         0,
         0,
         800,
         700,
         WindowCentreOnActive,
         &active,
         {0, 0, 800, 700},
         false},
        {"no active window",
         7,
         8,
         200,
         100,
         WindowCentreOnActive,
         nullptr,
         {7, 8, 200, 100},
         false},
    };
    for (const Row& row : rows) {
        WindowPlacement placement =
            PlaceWindow(row.x, row.y, row.w, row.h, row.flags, 1280, 1024, row.active);
        EXPECT_EQ(placement.platformDefault, row.platformDefault) << row.what;
        EXPECT_EQ(placement.outer.width, row.expected.width) << row.what;
        EXPECT_EQ(placement.outer.height, row.expected.height) << row.what;
        if (!row.platformDefault) {
            EXPECT_EQ(placement.outer.x, row.expected.x) << row.what;
            EXPECT_EQ(placement.outer.y, row.expected.y) << row.what;
        }
    }
}

TEST(WindowLayout, FocusStopsWrapAndSkip) {
    // Children in creation order: label, field, disabled field, button, frame.
    const std::vector<bool> stops = {false, true, false, true, false};
    struct Row {
        int32_t focused;
        bool backwards;
        int32_t expected;
    };
    const Row rows[] = {
        {-1, false, 1},                // nothing focused: Tab takes the first stop
        {-1, true, 3},                 // Shift+Tab the last
        {1, false, 3},                 // skips the disabled field
        {3, false, 1},                 // wraps from the last to the first
        {1, true, 3},                  // wraps from the first to the last
        {3, true, 1},   {0, false, 1}, // focus on a child that is no stop: the next stop after it
        {4, false, 1},  {4, true, 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(NextFocusStop(stops, row.focused, row.backwards), row.expected)
            << row.focused << (row.backwards ? " back" : " forward");
    EXPECT_EQ(NextFocusStop({false, false}, -1, false), -1);
    EXPECT_EQ(NextFocusStop({}, -1, true), -1);
    EXPECT_EQ(NextFocusStop({true}, 0, false), 0); // the only stop keeps it
}

TEST(ControlLayout, SpinSplitAndRange) {
    SpinParts parts = SplitSpin(10, 20, 60, 20); // the monitor's spin
    EXPECT_EQ(parts.text, (ControlRect{10, 20, 50, 20}));
    EXPECT_EQ(parts.arrows, (ControlRect{60, 20, 10, 20}));
    parts = SplitSpin(0, 0, 40, 21); // half the height toward zero
    EXPECT_EQ(parts.text, (ControlRect{0, 0, 30, 21}));
    EXPECT_EQ(parts.arrows, (ControlRect{30, 0, 10, 21}));

    struct Row {
        int32_t minimum, maximum, low, high, start;
    };
    const Row rows[] = {
        {0, 9, 0, 9, 0},
        {1, 10, 1, 10, 1}, // 0 lies below: starts at the minimum
        {-5, -1, -5, -1, -1},
        {10, 1, 10, 1, 1},                        // given the other way round
        {0, 70000, 0, 4464, 0},                   // taken as signed 16-bit
        {0x8005, 0x8009, -32763, -32759, -32759}, // 0 lies above: the nearer end
    };
    for (const Row& row : rows) {
        SpinRange range = SpinRangeOf(row.minimum, row.maximum);
        EXPECT_EQ(range.minimum, row.low) << row.minimum << ".." << row.maximum;
        EXPECT_EQ(range.maximum, row.high) << row.minimum << ".." << row.maximum;
        EXPECT_EQ(range.start, row.start) << row.minimum << ".." << row.maximum;
    }
}

TEST(ControlLayout, ColoursPerKindAndState) {
    const ColourChoice platform{};
    auto set = [](int32_t text, int32_t textSystem, int32_t back, int32_t backSystem) {
        return ColourChoice{false, text, textSystem, back, backSystem};
    };
    const int32_t grey = 0xEFEFEF, red = 0x0000FF;
    struct Row {
        const char* what;
        int32_t kind;
        bool enabled;
        int32_t text, back;
        ColourChoice expected;
    };
    const Row rows[] = {
        {"field, nothing set", KindTextField, true, -1, -1, platform},
        {"field, grey background", KindTextField, true, -1, grey, set(-1, -1, grey, -1)},
        {"field, grey, disabled", KindTextField, false, -1, grey, platform},
        {"field, text only", KindTextField, true, red, -1, set(red, -1, -1, SystemButtonHighlight)},
        {"spin, nothing set", KindSpin, true, -1, -1,
         set(-1, SystemWindowText, -1, SystemButtonHighlight)},
        {"spin, disabled", KindSpin, false, -1, -1, platform},
        {"spin, grey", KindSpin, true, -1, grey, set(-1, -1, grey, -1)},
        {"spin, grey, disabled", KindSpin, false, -1, grey, platform},
        {"label, nothing set", KindLabel, true, -1, -1, platform},
        {"label, text only", KindLabel, true, red, -1, set(red, -1, -1, SystemButtonFace)},
        {"label, disabled keeps colours", KindLabel, false, red, grey, set(red, -1, grey, -1)},
        {"button never", KindButton, true, red, grey, platform},
        {"frame never", KindFrame, true, red, grey, platform},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChooseColours(row.kind, row.enabled, row.text, row.back), row.expected)
            << row.what;
}

std::set<uintptr_t> liveBrushes;
uintptr_t nextBrush = 100;
uintptr_t FakeMake(int32_t colour) {
    if (colour == 0x123456) return 0; // the platform refuses
    liveBrushes.insert(++nextBrush);
    return nextBrush;
}
void FakeDelete(uintptr_t brush) {
    EXPECT_EQ(liveBrushes.erase(brush), 1u) << "deleted twice or never made";
}

TEST(BrushPool, OneBrushPerColourCountedByUsers) {
    liveBrushes.clear();
    BrushPool pool(FakeMake, FakeDelete);
    uintptr_t grey = pool.Acquire(0xEFEFEF);
    EXPECT_EQ(pool.Acquire(0xEFEFEF), grey); // the monitor's two grey controls share one
    uintptr_t red = pool.Acquire(0xFF);
    EXPECT_NE(red, grey);
    EXPECT_EQ(pool.Count(), 2);
    EXPECT_EQ(pool.Users(), 3);
    EXPECT_EQ(pool.Acquire(0x123456), 0u);
    EXPECT_EQ(pool.Count(), 2);

    pool.Release(0xEFEFEF);
    EXPECT_EQ(liveBrushes.count(grey), 1u); // one user left
    pool.Release(0xEFEFEF);
    EXPECT_EQ(liveBrushes.count(grey), 0u);
    pool.Release(0xEFEFEF); // no users: nothing happens
    pool.Release(0x777777); // never made
    pool.Release(0xFF);
    EXPECT_EQ(pool.Count(), 0);
    EXPECT_EQ(pool.Users(), 0);
    EXPECT_TRUE(liveBrushes.empty());
}

} // namespace
