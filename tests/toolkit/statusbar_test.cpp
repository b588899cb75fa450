// Status bars on real windows: field edges and texts as the native bar holds
// them, placement along the bottom edge through size changes, and the records
// given back when bars and windows go.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "requester_drive.h"
#include "toolkit/controls.h"
#include "toolkit/statusbar.h"
#include "toolkit/window.h"

namespace {

constexpr int32_t TestWindow = 0;
constexpr int32_t TestBar = 0;
constexpr int32_t ButtonNearBar = 0; // same number as the bar, on purpose
// Title bar, system menu, minimise box, plus a sizing border and a maximise
// box so that the window can be resized and maximised.
constexpr int32_t SizableWindow = 0xCA0000 | WS_THICKFRAME | WS_MAXIMIZEBOX;

std::vector<int32_t> NativeEdges(HWND bar) {
    int edges[MaxStatusFields + 8] = {};
    const auto count = static_cast<int32_t>(
        SendMessageA(bar, SB_GETPARTS, MaxStatusFields + 8, reinterpret_cast<LPARAM>(edges)));
    return std::vector<int32_t>(edges, edges + count);
}

struct NativeText {
    std::string text;
    UINT drawing;
};

NativeText NativeTextOf(HWND bar, int32_t field) {
    char text[256] = {};
    const LRESULT result = SendMessageA(bar, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(text));
    return {text, HIWORD(result)};
}

// The bar's rectangle in the window's inner coordinates.
RECT BarRectIn(HWND window, HWND bar) {
    RECT rect{};
    GetWindowRect(bar, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT InnerRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// Control events raised until the window has been quiet for a while.
std::vector<int32_t> ControlEventsUntilQuiet() {
    std::vector<int32_t> controls;
    const ULONGLONG end = GetTickCount64() + 4000;
    while (GetTickCount64() < end) {
        const int32_t code = WaitEvent(200);
        if (code == EventNone) break;
        if (code == EventControl) controls.push_back(LastEventControl());
    }
    return controls;
}

class StatusBar : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitWindowSystem();
        InitControlSystem();
        InitStatusBars();
    }
    static void TearDownTestSuite() {
        EndControlSystem();
        EndWindowSystem();
    }

    void SetUp() override {
        barsBefore = LiveStatusBars();
        window = NewWindow(TestWindow, 50, 50, 400, 200, "Status bar test", SizableWindow);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override {
        DisposeWindow(TestWindow);
        ControlEventsUntilQuiet();
        EXPECT_EQ(LiveStatusBars(), barsBefore) << "a record outlived its window";
    }

    // Checks that the bar spans the window's full inner width at its bottom
    // edge and that its fields end at the given edges.
    void ExpectLaidOut(HWND bar, const std::vector<int32_t>& edges, const char* when) {
        const RECT inner = InnerRect(window);
        const RECT placed = BarRectIn(window, bar);
        EXPECT_EQ(placed.left, 0) << when;
        EXPECT_EQ(placed.right, inner.right) << when;
        EXPECT_EQ(placed.bottom, inner.bottom) << when;
        EXPECT_GT(placed.bottom - placed.top, 0) << when;
        EXPECT_EQ(NativeEdges(bar), edges) << when;
    }

    int32_t barsBefore = 0;
    HWND window = nullptr;
};

TEST_F(StatusBar, FieldsEndAtTheirEdgesAlongTheBottom) {
    HWND bar = NewStatusBar(TestBar, window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(StatusBarNativeHandle(TestBar), bar);
    EXPECT_EQ(LiveStatusBars(), barsBefore + 1);
    AddStatusField(100);
    AddStatusField(FillWidth);
    AddStatusField(50);
    ExpectLaidOut(bar, {100, 350, 400}, "three fields");

    // Up to 64 fields; a 65th is ignored.
    for (int32_t i = 3; i < MaxStatusFields + 1; ++i)
        AddStatusField(5);
    EXPECT_EQ(NativeEdges(bar).size(), static_cast<size_t>(MaxStatusFields));
}

TEST_F(StatusBar, TextsCarryTheirAlignmentAndBorder) {
    HWND bar = NewStatusBar(TestBar, window);
    ASSERT_NE(bar, nullptr);
    AddStatusField(200);
    AddStatusField(FillWidth);
    struct Case {
        int32_t flags;
        const char* shown;
        UINT drawing;
    };
    const Case cases[] = {
        {0, "Program started", 0},
        {StatusCentred, "\tProgram started", 0},
        {StatusRight, "\t\tProgram started", 0},
        {StatusCentred | StatusRight, "\tProgram started", 0},
        {StatusNoBorder, "Program started", SBT_NOBORDERS},
        {StatusRaised, "Program started", SBT_POPOUT},
        {StatusNoBorder | StatusRaised | StatusRight, "\t\tProgram started", SBT_NOBORDERS},
    };
    for (const Case& c : cases) {
        SetStatusText(TestBar, 1, "Program started", c.flags);
        const NativeText seen = NativeTextOf(bar, 1);
        EXPECT_EQ(seen.text, c.shown) << "flags " << c.flags;
        EXPECT_EQ(seen.drawing & (SBT_NOBORDERS | SBT_POPOUT), c.drawing) << "flags " << c.flags;
    }
    SetStatusText(TestBar, 0, nullptr, 0);
    EXPECT_EQ(NativeTextOf(bar, 0).text, "");
    // Field 2 does not exist: nothing is set, the bar keeps its two fields.
    SetStatusText(TestBar, 2, "beyond", 0);
    EXPECT_EQ(NativeEdges(bar).size(), 2u);
}

TEST_F(StatusBar, FollowsResizeMaximiseMinimiseAndRestore) {
    HWND bar = NewStatusBar(TestBar, window);
    ASSERT_NE(bar, nullptr);
    AddStatusField(100);
    AddStatusField(FillWidth);
    AddStatusField(50);
    ExpectLaidOut(bar, {100, 350, 400}, "at creation");

    // Grow the window so that its inner area is 600 x 300.
    RECT outer{0, 0, 600, 300};
    AdjustWindowRectEx(&outer, GetWindowLongA(window, GWL_STYLE), FALSE,
                       GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(InnerRect(window).right, 600);
    ExpectLaidOut(bar, {100, 550, 600}, "resized to 600");

    ShowWindow(window, SW_MAXIMIZE);
    const int32_t maximised = InnerRect(window).right;
    ASSERT_GT(maximised, 600);
    ExpectLaidOut(bar, {100, maximised - 50, maximised}, "maximised");

    ShowWindow(window, SW_RESTORE);
    ExpectLaidOut(bar, {100, 550, 600}, "restored from maximised");

    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_RESTORE);
    ExpectLaidOut(bar, {100, 550, 600}, "restored from minimised");
}

TEST_F(StatusBar, ReplacingDisposingAndClosingGiveTheRecordBack) {
    HWND first = NewStatusBar(TestBar, window);
    ASSERT_NE(first, nullptr);
    HWND second = NewStatusBar(TestBar, window);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsWindow(first)) << "the bar under the reused number stays";
    EXPECT_EQ(StatusBarNativeHandle(TestBar), second);
    EXPECT_EQ(LiveStatusBars(), barsBefore + 1);

    DisposeStatusBar(TestBar);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(StatusBarNativeHandle(TestBar), nullptr);
    EXPECT_EQ(LiveStatusBars(), barsBefore);
    AddStatusField(100); // no current bar any more: nothing happens
    SetStatusText(TestBar, 0, "gone", 0);

    // A bar that goes with its window gives its record back as well; many
    // times over, nothing is left behind.
    const int32_t windowsBefore = LiveWindowRecords();
    for (int i = 0; i < 1000; ++i) {
        HWND hidden = NewWindow(1, 0, 0, 200, 100, "hidden", SizableWindow | WindowHidden);
        ASSERT_NE(hidden, nullptr);
        ASSERT_NE(NewStatusBar(1, hidden), nullptr);
        AddStatusField(FillWidth);
        SetStatusText(1, 0, "text", StatusRaised);
        DisposeWindow(1);
    }
    EXPECT_EQ(LiveStatusBars(), barsBefore);
    EXPECT_EQ(LiveWindowRecords(), windowsBefore);
}

TEST_F(StatusBar, ClicksOnTheBarRaiseNoControlEvent) {
    HWND button = NewButton(ButtonNearBar, 10, 10, 120, 30, "Press", 0);
    ASSERT_NE(button, nullptr);
    HWND bar = NewStatusBar(TestBar, window);
    ASSERT_NE(bar, nullptr);
    AddStatusField(FillWidth);
    ASSERT_TRUE(drive::MakeForeground(window));
    ControlEventsUntilQuiet();

    drive::ClickCentreOf(bar);
    EXPECT_EQ(ControlEventsUntilQuiet(), std::vector<int32_t>{});
    // The same kind of click on the button does report it.
    drive::ClickCentreOf(button);
    EXPECT_EQ(ControlEventsUntilQuiet(), std::vector<int32_t>{ButtonNearBar});
}

} // namespace

namespace {

// The embedded manifest asks for version 6 of the common controls: the
// library then comes from the side-by-side assembly, not the system folder.
TEST(Manifest, CommonControlsComeFromTheVersionSixAssembly) {
    InitStatusBars();
    HMODULE controls = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(controls, path, sizeof(path));
    std::string lower(path);
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

} // namespace
