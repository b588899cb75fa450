// The event stream of a window with every control kind, driven by real
// keyboard and mouse input and by the program's own calls.
#include <gtest/gtest.h>

#include <string>

#include "tests/toolkit/toolkit_drive.h"
#include "toolkit/control_layout.h"

namespace {

// The test window's controls, in creation order.
enum : int32_t {
    FrameAround = 9,
    FieldFirst = 10,
    FieldDisabled = 11,
    SpinSeconds = 12,
    ButtonGo = 13,
    LabelValues = 14,
    FieldLast = 16,
};
constexpr int32_t TestWindow = 0;

class WindowEvents : public ::testing::Test {
  protected:
    // One window for all tests: disposing of a shown window costs the window
    // system a long wait here, and re-creating the controls under their
    // numbers in every SetUp replaces them anyway.
    static void SetUpTestSuite() {
        InitWindowSystem();
        InitControlSystem();
        window = NewWindow(TestWindow, 100, 100, 334, 285, "Toolkit test", 0xCA0000);
    }
    static void TearDownTestSuite() {
        EndControlSystem();
        EndWindowSystem();
    }

    void SetUp() override {
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(WindowNativeHandle(TestWindow), window);
        ASSERT_NE(NewFrame(FrameAround, 4, 4, 326, 150, nullptr, FrameSunkenThin), nullptr);
        ASSERT_NE(NewTextField(FieldFirst, 10, 10, 150, 20, "", 0), nullptr);
        ASSERT_NE(NewTextField(FieldDisabled, 10, 40, 150, 20, "", 0), nullptr);
        DisableControl(FieldDisabled, 1);
        ASSERT_NE(NewSpin(SpinSeconds, 10, 70, 60, 20, 0, 9, SpinReadOnly), nullptr);
        ASSERT_NE(NewButton(ButtonGo, 10, 100, 80, 24, "Go", 0), nullptr);
        ASSERT_NE(NewLabel(LabelValues, 10, 160, 200, 40, "values", LabelLeft), nullptr);
        ASSERT_NE(NewTextField(FieldLast, 10, 210, 150, 20, "", 0), nullptr);
        ASSERT_TRUE(BringToFront(window));
        CollectEvents();
    }

    void TearDown() override {
        const int32_t numbers[] = {FrameAround, FieldFirst,  FieldDisabled, SpinSeconds,
                                   ButtonGo,    LabelValues, FieldLast,     700};
        for (int32_t number : numbers)
            DisposeControl(number);
        CollectEvents(50);
    }

    // Puts the focus on a control and forgets the events that raised.
    void FocusOn(int32_t number) {
        SetFocus(ControlNativeHandle(number));
        CollectEvents();
    }

    static HWND window;
};

HWND WindowEvents::window = nullptr;

std::vector<EventRow> ControlEventsOf(const std::vector<EventRow>& rows, int32_t control) {
    std::vector<EventRow> only;
    for (const EventRow& row : OnlyCode(rows, EventControl))
        if (row.subject == control) only.push_back(row);
    return only;
}

// The colour a control shows at its right edge's middle (where short texts
// do not reach) after it has painted itself, asking the window for its colours.
COLORREF PaintedColour(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT inner{};
    GetClientRect(control, &inner);
    HDC context = GetDC(control);
    const COLORREF colour = GetPixel(context, inner.right - 3, inner.bottom / 2);
    ReleaseDC(control, context);
    return colour;
}

// Whether any pixel of the painted control has the colour.
bool PaintedAnywhere(HWND control, COLORREF colour) {
    PaintedColour(control);
    RECT inner{};
    GetClientRect(control, &inner);
    HDC context = GetDC(control);
    bool found = false;
    for (int y = 0; y < inner.bottom && !found; ++y)
        for (int x = 0; x < inner.right && !found; ++x)
            found = GetPixel(context, x, y) == colour;
    ReleaseDC(control, context);
    return found;
}

#define EXPECT_TABLE(actual, expected)                                                             \
    EXPECT_TRUE(MatchesTable(actual, expected)) << "expected:\n"                                   \
                                                << Describe(expected) << "actual:\n"               \
                                                << Describe(actual)

TEST_F(WindowEvents, TypingOneCharacterGivesOneTextChange) {
    FocusOn(FieldFirst);
    PressKey('A');
    const std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventControl);
    // The keystroke's 1024 is overwritten by its 768 within the same dispatch.
    static const std::vector<EventRow> expected = {{EventControl, FieldFirst, TypeTextChanged}};
    EXPECT_TABLE(actual, expected);
    EXPECT_EQ(GetControlText(FieldFirst), "a");
}

TEST_F(WindowEvents, EveryKeystrokeInAScrollingFieldIsOneTextChange) {
    FocusOn(FieldFirst);
    // Far more than the field shows: it scrolls while the text grows, and
    // its other notifications must not hide the change.
    for (int i = 0; i < 40; ++i)
        PressKey('W');
    const std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventControl);
    const std::vector<EventRow> expected(40, {EventControl, FieldFirst, TypeTextChanged});
    EXPECT_TABLE(actual, expected);
    EXPECT_EQ(GetControlText(FieldFirst), std::string(40, 'w'));
}

TEST_F(WindowEvents, TextSetByTheProgramIsNeverATypedChange) {
    SetControlText(FieldFirst, "set by the program");
    // Its change waits for the next dispatched message and comes with it,
    // once and without a type.
    PostMessageA(window, WM_NULL, 0, 0);
    const std::vector<EventRow> actual = ControlEventsOf(CollectEvents(), FieldFirst);
    static const std::vector<EventRow> expected = {{EventControl, FieldFirst, TypeNone}};
    EXPECT_TABLE(actual, expected);
    EXPECT_EQ(GetControlText(FieldFirst), "set by the program");
}

TEST_F(WindowEvents, SpinTextAndPositionSetByTheProgramRaiseNothing) {
    SetControlText(SpinSeconds, "7 s");
    SetControlState(SpinSeconds, 4);
    const std::vector<EventRow> actual = ControlEventsOf(CollectEvents(), SpinSeconds);
    EXPECT_TRUE(actual.empty()) << Describe(actual);
    EXPECT_EQ(GetControlText(SpinSeconds), "7 s");
    EXPECT_EQ(ControlState(SpinSeconds), 4);
    SetControlState(SpinSeconds, 12); // kept within the range
    EXPECT_EQ(ControlState(SpinSeconds), 9);
}

TEST_F(WindowEvents, SpinArrowsReportTheDirectionAndStayInRange) {
    struct Row {
        const char* what;
        int32_t from;
        bool up;
        bool key; // Up/Down key in the text part instead of a click
        int32_t type;
        int32_t after;
    };
    static const Row rows[] = {
        {"up at the top end", 9, true, false, TypeSpinUp, 9},
        {"down at the bottom end", 0, false, false, TypeSpinDown, 0},
        {"up in the middle", 5, true, false, TypeSpinUp, 6},
        {"down in the middle", 5, false, false, TypeSpinDown, 4},
        {"Up key", 3, true, true, TypeSpinUp, 4},
        {"Down key at the bottom end", 0, false, true, TypeSpinDown, 0},
    };
    HWND arrows = ControlArrowHandle(SpinSeconds);
    ASSERT_NE(arrows, nullptr);
    for (const Row& row : rows) {
        SetControlState(SpinSeconds, row.from);
        FocusOn(SpinSeconds);
        if (row.key) {
            // Arrows that believe the pointer is on them add a step of their
            // own when the key's pressed look times out, and they learn that
            // it left only from a leave notice polled for every few hundred
            // ms, which a loaded machine delays past that time-out: the
            // pointer goes away and the notice is delivered at once.
            MovePointerTo(ScreenPointIn(ControlNativeHandle(LabelValues)));
            SendMessageA(arrows, WM_MOUSELEAVE, 0, 0);
            PressKey(row.up ? VK_UP : VK_DOWN);
        } else
            ClickAt(ScreenPointIn(arrows, row.up ? 0.25 : 0.75));
        const std::vector<EventRow> actual = ControlEventsOf(CollectEvents(), SpinSeconds);
        const std::vector<EventRow> expected = {{EventControl, SpinSeconds, row.type}};
        EXPECT_TABLE(actual, expected) << row.what;
        EXPECT_EQ(ControlState(SpinSeconds), row.after) << row.what;
    }
}

TEST_F(WindowEvents, CloseRequestsAreReportedAndTheWindowStays) {
    POINT closeBox;
    ASSERT_TRUE(CloseBoxPoint(window, &closeBox));
    struct Row {
        const char* what;
        void (*act)(HWND window, POINT closeBox);
    };
    static const Row rows[] = {
        {"close box", [](HWND, POINT at) { ClickAt(at); }},
        {"Alt+F4", [](HWND, POINT) { PressKey(VK_F4, false, true); }},
        {"system menu command", [](HWND w, POINT) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        // Posted by another program: reported once, not also as a raw message.
        {"posted close message", [](HWND w, POINT) { PostMessageA(w, WM_CLOSE, 0, 0); }},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(BringToFront(window)) << row.what;
        CollectEvents();
        row.act(window, closeBox);
        const std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventCloseWindow);
        static const std::vector<EventRow> expected = {{EventCloseWindow, TestWindow, TypeNone}};
        EXPECT_TABLE(actual, expected) << row.what;
        EXPECT_TRUE(IsWindowVisible(window)) << row.what;
        EXPECT_EQ(WindowNativeHandle(TestWindow), window) << row.what;
    }
}

TEST_F(WindowEvents, TwoIdenticalWindowEventsInARowAreQueuedOnce) {
    RECT area;
    GetWindowRect(window, &area);
    SetWindowPos(window, nullptr, area.left + 10, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(window, nullptr, area.left + 20, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventMoved);
    static const std::vector<EventRow> expected = {{EventMoved, TestWindow, TypeNone}};
    EXPECT_TABLE(actual, expected);
}

TEST_F(WindowEvents, TabMovesOverEnabledFocusStopsWithWrapAround) {
    struct Row {
        const char* what;
        int32_t from; // -1: the window itself has the focus
        bool shift;
        int32_t to;
    };
    static const Row rows[] = {
        {"Tab from the last wraps to the first", FieldLast, false, FieldFirst},
        {"Shift+Tab from the first wraps to the last", FieldFirst, true, FieldLast},
        {"Tab skips the disabled field", FieldFirst, false, SpinSeconds},
        {"Tab from the spin to the button", SpinSeconds, false, ButtonGo},
        {"Tab skips the label", ButtonGo, false, FieldLast},
        {"Shift+Tab back over the disabled field", SpinSeconds, true, FieldFirst},
        {"Tab with no focused control", -1, false, FieldFirst},
        {"Shift+Tab with no focused control", -1, true, FieldLast},
    };
    for (const Row& row : rows) {
        if (row.from < 0) {
            SetFocus(window);
            CollectEvents();
        } else {
            FocusOn(row.from);
        }
        PressKey(VK_TAB, row.shift);
        HWND target = ControlNativeHandle(row.to);
        EXPECT_TRUE(PumpUntil([target] { return GetFocus() == target; }, 2000)) << row.what;
    }
    // A field disabled later drops out of the order.
    DisableControl(FieldFirst, 1);
    FocusOn(FieldLast);
    PressKey(VK_TAB);
    HWND spin = ControlNativeHandle(SpinSeconds);
    EXPECT_TRUE(PumpUntil([spin] { return GetFocus() == spin; }, 2000));
}

TEST_F(WindowEvents, FocusMovesReportOnlyTheLastNotificationThenTheLaterOnes) {
    FocusOn(FieldLast);
    PressKey(VK_TAB);
    const std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventControl);
    // One dispatch raises the last field's 512 and the first field's 256;
    // the pending slot keeps the 256. The posted 14001 and 14000 follow.
    static const std::vector<EventRow> expected = {
        {EventControl, FieldFirst, TypeFocusGained},
        {EventControl, FieldLast, TypeFieldFocusLost},
        {EventControl, FieldFirst, TypeFieldFocusGained},
    };
    EXPECT_TABLE(actual, expected);
}

TEST_F(WindowEvents, ButtonPressedByClickAndBySpace) {
    ClickAt(ScreenPointIn(ControlNativeHandle(ButtonGo)));
    std::vector<EventRow> actual = OnlyCode(CollectEvents(), EventControl);
    static const std::vector<EventRow> expected = {{EventControl, ButtonGo, TypeButtonPressed}};
    EXPECT_TABLE(actual, expected);
    FocusOn(ButtonGo);
    PressKey(VK_SPACE);
    actual = OnlyCode(CollectEvents(), EventControl);
    EXPECT_TABLE(actual, expected);
}

TEST_F(WindowEvents, TagsAndNumbersThatNameNothing) {
    EXPECT_EQ(ControlTag(ButtonGo), 0); // never set
    SetControlTag(ButtonGo, 3);
    EXPECT_EQ(ControlTag(ButtonGo), 3);
    const int32_t freeNumbers[] = {8, 15, 63, 64, 5000, -1};
    for (int32_t number : freeNumbers) {
        SetControlTag(number, 7);
        EXPECT_EQ(ControlTag(number), 0) << number;
        SetControlText(number, "x");
        EXPECT_EQ(GetControlText(number), "") << number;
        SetControlState(number, 5);
        EXPECT_EQ(ControlState(number), 0) << number;
        DisableControl(number, 1);
        SetControlColour(number, ColourBackground, 0xEFEFEF);
        DisposeControl(number);
        EXPECT_EQ(ControlNativeHandle(number), nullptr) << number;
    }
    EXPECT_EQ(SharedBrushCount(), 0);
    EXPECT_EQ(WindowNativeHandle(1), nullptr);
    EXPECT_EQ(WindowNativeHandle(-3), nullptr);
    DisposeWindow(1);
    DisposeWindow(400);
    EXPECT_EQ(WindowNativeHandle(TestWindow), window);
}

TEST_F(WindowEvents, RecreatingUnderAUsedNumberReplaces) {
    const int32_t before = LiveControlRecords();
    HWND old = ControlNativeHandle(LabelValues);
    SetControlTag(LabelValues, 9);
    HWND replacement = NewTextField(LabelValues, 10, 160, 100, 20, "new", 0);
    ASSERT_NE(replacement, nullptr);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(ControlNativeHandle(LabelValues), replacement);
    EXPECT_EQ(GetDlgCtrlID(replacement), LabelValues);
    EXPECT_EQ(ControlTag(LabelValues), 0);
    EXPECT_EQ(GetControlText(LabelValues), "new");
    EXPECT_EQ(LiveControlRecords(), before);
    // A control with a number beyond the first block grows the table.
    ASSERT_NE(NewLabel(700, 200, 200, 50, 20, "far", 0), nullptr);
    EXPECT_EQ(GetDlgCtrlID(ControlNativeHandle(700)), 700);
    EXPECT_EQ(LiveControlRecords(), before + 1);
}

TEST_F(WindowEvents, BackgroundColoursShareOneBrushAndFollowTheEnabledState) {
    const int32_t grey = 0xEFEFEF;
    SetControlColour(FieldFirst, ColourBackground, grey);
    SetControlColour(SpinSeconds, ColourBackground, grey);
    EXPECT_EQ(SharedBrushCount(), 1);
    EXPECT_EQ(SharedBrushUsers(), 2);
    EXPECT_EQ(ControlColour(FieldFirst, ColourBackground), grey);

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, static_cast<COLORREF>(grey));
    EXPECT_EQ(PaintedColour(ControlNativeHandle(FieldFirst)), static_cast<COLORREF>(grey));
    EXPECT_EQ(PaintedColour(ControlNativeHandle(SpinSeconds)), static_cast<COLORREF>(grey));
    DisableControl(FieldFirst, 1);
    EXPECT_EQ(PaintedColour(ControlNativeHandle(FieldFirst)), face) << "the disabled look";
    DisableControl(FieldFirst, 0);
    EXPECT_EQ(PaintedColour(ControlNativeHandle(FieldFirst)), static_cast<COLORREF>(grey));

    SetControlColour(FieldFirst, ColourBackground, DefaultColour);
    EXPECT_EQ(SharedBrushUsers(), 1);
    DisposeControl(SpinSeconds);
    EXPECT_EQ(SharedBrushCount(), 0);
    EXPECT_EQ(SharedBrushUsers(), 0);
}

// Tab from the last of two buttons in a multi-document client wraps to the
// first there, not out to the window's first focus stop.
TEST_F(WindowEvents, TabStaysInsideAMultiDocumentClientOnTheWayUp) {
    CLIENTCREATESTRUCT client{nullptr, 50000};
    HWND documents = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 170, 10, 150,
                                     100, window, nullptr, nullptr, &client);
    HWND inside[2];
    for (int i = 0; i < 2; ++i)
        inside[i] = CreateWindowExA(0, "BUTTON", "in", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5,
                                    5 + 30 * i, 60, 24, documents, nullptr, nullptr, nullptr);
    SetFocus(inside[1]);
    CollectEvents();
    PressKey(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == inside[0]; }, 2000));
    DestroyWindow(documents);
}

TEST_F(WindowEvents, InnerSizeIsTheClientAreaAndSpinPartsTheirRectangles) {
    RECT inner;
    GetClientRect(window, &inner);
    EXPECT_EQ(inner.right, 334);
    EXPECT_EQ(inner.bottom, 285);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_GT(outer.bottom - outer.top, 285); // a title bar on top
    // A spin's arrows take exactly half its height at its right end.
    const auto placed = [](HWND part) {
        RECT area;
        GetWindowRect(part, &area);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        return ControlRect{area.left, area.top, area.right - area.left, area.bottom - area.top};
    };
    EXPECT_EQ(placed(ControlNativeHandle(SpinSeconds)), (ControlRect{10, 70, 50, 20}));
    EXPECT_EQ(placed(ControlArrowHandle(SpinSeconds)), (ControlRect{60, 70, 10, 20}));
}

TEST_F(WindowEvents, SpinShowingItsPositionFollowsWithoutEvents) {
    ASSERT_NE(NewSpin(SpinSeconds, 10, 70, 60, 20, 1, 10, SpinReadOnly | SpinShowsPosition),
              nullptr);
    EXPECT_EQ(ControlState(SpinSeconds), 1); // 0 lies outside 1..10
    SetControlState(SpinSeconds, 5);
    EXPECT_EQ(GetControlText(SpinSeconds), "5");
    EXPECT_EQ(ControlAttribute(SpinSeconds, SpinMaximum), 10);
    const std::vector<EventRow> actual = ControlEventsOf(CollectEvents(), SpinSeconds);
    EXPECT_TRUE(actual.empty()) << Describe(actual);
}

TEST_F(WindowEvents, LabelColoursHoldWhetherEnabledOrNot) {
    const COLORREF red = 0x0000FF;
    SetControlColour(LabelValues, ColourText, static_cast<int32_t>(red));
    HWND label = ControlNativeHandle(LabelValues);
    // Without a background colour: the button face, as the window's own.
    EXPECT_EQ(PaintedColour(label), GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(PaintedAnywhere(label, red));
    DisableControl(LabelValues, 1);
    EXPECT_EQ(PaintedColour(label), GetSysColor(COLOR_BTNFACE));
    // Disabled, the platform draws a label's text in its own grey whatever
    // the window answers; the answer still names the colour set.
    HDC context = GetDC(label);
    SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                 reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(GetTextColor(context), red);
    ReleaseDC(label, context);
}

TEST_F(WindowEvents, ControlsGoIntoTheLastWindowOpenedWithoutFlag8) {
    // Opened with flag 8 the second window leaves the container as it was.
    HWND aside = NewWindow(2, 0, 0, 100, 60, "aside", 0xCA0000 | WindowHidden | WindowNoContainer);
    ASSERT_NE(aside, nullptr);
    HWND label = NewLabel(30, 0, 0, 50, 20, "where", 0);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(GetParent(label), window);
    DisposeControl(30);
    HWND container = NewWindow(3, 0, 0, 100, 60, "container", 0xCA0000 | WindowHidden);
    ASSERT_NE(container, nullptr);
    label = NewLabel(30, 0, 0, 50, 20, "where", 0);
    EXPECT_EQ(GetParent(label), container);
    // Its controls go with it, and without a container none can be made.
    DisposeWindow(3);
    EXPECT_EQ(ControlNativeHandle(30), nullptr);
    EXPECT_EQ(NewLabel(31, 0, 0, 50, 20, "nowhere", 0), nullptr);
    EXPECT_EQ(ControlNativeHandle(31), nullptr);
    DisposeWindow(2);
    ASSERT_NE(NewWindow(TestWindow, 100, 100, 334, 285, "Toolkit test", 0xCA0000), nullptr);
    window = WindowNativeHandle(TestWindow);
}

TEST_F(WindowEvents, MinimiseAndRestoreAreReportedInOrder) {
    ShowWindow(window, SW_MINIMIZE);
    std::vector<EventRow> actual = CollectEvents();
    ShowWindow(window, SW_RESTORE);
    for (const EventRow& row : CollectEvents())
        actual.push_back(row);
    std::vector<EventRow> sizes;
    for (const EventRow& row : actual)
        if (row.code == EventMinimised || row.code == EventRestored || row.code == EventSized)
            sizes.push_back(row);
    // No size event on minimising; restored, then the size, on restoring.
    static const std::vector<EventRow> expected = {
        {EventMinimised, TestWindow, TypeNone},
        {EventRestored, TestWindow, TypeNone},
        {EventSized, TestWindow, TypeNone},
    };
    EXPECT_TABLE(sizes, expected);
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(WindowEvents, WaitWithALimitReturnsNothingWhenNothingComes) {
    EXPECT_EQ(WaitEvent(0), EventNone);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitEvent(100), EventNone);
    EXPECT_GE(GetTickCount64() - start, 90u);
}

} // namespace
