// The message box keeps the program's windows from reacting while it is up,
// and the suspension of other windows is kept apart per thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "requester_drive.h"
#include "toolkit/controls.h"
#include "toolkit/requesters.h"
#include "toolkit/window.h"

namespace {

constexpr int32_t MainWindow = 0;
constexpr int32_t OtherWindow = 1;
constexpr int32_t ButtonPress = 1;
constexpr int32_t PlainWindow = 0xCA0000;
constexpr const char* BoxTitle = "Guru-Attack!";
// In UTF-8, the code page the test programs ask for, as brenk.exe does.
constexpr const char* BoxText = "Couldn\xC2\xB4t start the program !";

struct ControlEvent {
    int32_t control;
    int32_t type;
    bool operator==(const ControlEvent&) const = default;
};

void PrintTo(const ControlEvent& event, std::ostream* out) {
    *out << "(control " << event.control << ", type " << event.type << ")";
}

// Control events raised until the windows have been quiet for a while.
std::vector<ControlEvent> ControlEventsUntilQuiet() {
    std::vector<ControlEvent> events;
    const ULONGLONG end = GetTickCount64() + 4000;
    while (GetTickCount64() < end) {
        const int32_t code = WaitEvent(200);
        if (code == EventNone) break;
        if (code == EventControl) events.push_back({LastEventControl(), LastEventType()});
    }
    return events;
}

// Waits for the first control event, for at most limitMs.
std::vector<ControlEvent> FirstControlEvent(DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (GetTickCount64() < end) {
        if (WaitEvent(100) == EventControl) return {{LastEventControl(), LastEventType()}};
    }
    return {};
}

int32_t VisibleChildrenOfClass(HWND dialog, const char* className) {
    int32_t count = 0;
    for (HWND child = FindWindowExA(dialog, nullptr, className, nullptr); child;
         child = FindWindowExA(dialog, child, className, nullptr)) {
        if (IsWindowVisible(child)) ++count;
    }
    return count;
}

bool ShowsText(HWND dialog, const std::string& text) {
    for (HWND child = FindWindowExA(dialog, nullptr, "Static", nullptr); child;
         child = FindWindowExA(dialog, child, "Static", nullptr)) {
        if (IsWindowVisible(child) && drive::WindowText(child) == text) return true;
    }
    return false;
}

bool ShowsAnIcon(HWND dialog) {
    for (HWND child = FindWindowExA(dialog, nullptr, "Static", nullptr); child;
         child = FindWindowExA(dialog, child, "Static", nullptr)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (IsWindowVisible(child) && (style & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0)
            return true;
    }
    return false;
}

TEST(MessageBoxRequester, WindowsTakeNoClicksWhileItIsUpAndReactAfterOk) {
    InitWindowSystem();
    InitControlSystem();
    HWND other = NewWindow(OtherWindow, 500, 100, 200, 100, "Other", PlainWindow);
    HWND window = NewWindow(MainWindow, 100, 100, 300, 200, "Owner", PlainWindow);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(window, nullptr);
    HWND button = NewButton(ButtonPress, 20, 20, 120, 30, "Press", 0);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(drive::MakeForeground(window));
    ControlEventsUntilQuiet();

    struct Seen {
        bool boxFound = false;
        int32_t buttons = 0;
        bool icon = true;
        bool text = false;
        bool windowEnabled = true;
        bool otherEnabled = true;
        int32_t suspended = 0;
        bool closedByKey = false;
        bool buttonUncovered = false;
    } seen;
    std::thread user([&] {
        HWND box = drive::WaitForDialog(BoxTitle);
        seen.boxFound = box != nullptr;
        if (!box) return;
        seen.buttons = VisibleChildrenOfClass(box, "Button");
        seen.icon = ShowsAnIcon(box);
        seen.text = ShowsText(box, BoxText);
        seen.windowEnabled = IsWindowEnabled(window) != FALSE;
        seen.otherEnabled = IsWindowEnabled(other) != FALSE;
        seen.suspended = SuspendedWindowCount();
        drive::MakeForeground(box);
        // The click must aim at the button itself, not at the box over it.
        RECT boxArea{}, buttonArea{}, overlap{};
        GetWindowRect(box, &boxArea);
        GetWindowRect(button, &buttonArea);
        seen.buttonUncovered = !IntersectRect(&overlap, &boxArea, &buttonArea);
        // Real input is handled in order: the click on the button reaches the
        // program before the Enter that answers the box.
        drive::ClickCentreOf(button);
        drive::PressKey(VK_RETURN);
        seen.closedByKey = drive::PollUntil([&] { return !IsWindow(box); }, 5000);
        if (!seen.closedByKey) PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    const int32_t pressed = ShowMessageBox(BoxTitle, BoxText);
    user.join();

    ASSERT_TRUE(seen.boxFound);
    EXPECT_EQ(pressed, IDOK);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_FALSE(seen.icon);
    EXPECT_TRUE(seen.text);
    EXPECT_FALSE(seen.windowEnabled);
    EXPECT_FALSE(seen.otherEnabled);
    EXPECT_EQ(seen.suspended, 1) << "only the window that is not the box's owner";
    EXPECT_TRUE(seen.closedByKey);
    EXPECT_TRUE(seen.buttonUncovered);
    EXPECT_EQ(ControlEventsUntilQuiet(), std::vector<ControlEvent>{});

    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_EQ(SuspendedWindowCount(), 0);
    ASSERT_TRUE(drive::MakeForeground(window));
    drive::ClickCentreOf(button);
    EXPECT_EQ(FirstControlEvent(4000),
              (std::vector<ControlEvent>{{ButtonPress, TypeButtonPressed}}));

    EndControlSystem();
    EndWindowSystem();
}

HWND NewPlainWindow(const char* title, bool visible) {
    HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    if (visible) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

TEST(Suspension, EachThreadResumesOnlyWhatItSuspended) {
    HWND front = NewPlainWindow("front", true);
    HWND back = NewPlainWindow("back", true);
    HWND hidden = NewPlainWindow("hidden", false);
    ASSERT_TRUE(drive::MakeForeground(front));

    SuspendOtherWindows();
    EXPECT_TRUE(IsWindowEnabled(front)) << "the foreground window is left alone";
    EXPECT_FALSE(IsWindowEnabled(back));
    EXPECT_TRUE(IsWindowEnabled(hidden)) << "hidden windows are left alone";
    EXPECT_EQ(SuspendedWindowCount(), 1);

    // A second thread suspends its own window and nothing of this thread's.
    std::atomic<HWND> theirs{nullptr};
    std::atomic<int> step{0};
    std::thread worker([&] {
        theirs = NewPlainWindow("theirs", true);
        SuspendOtherWindows();
        step = 1;
        drive::PollUntil([&] { return step == 2; });
        ResumeOtherWindows();
        step = 3;
        drive::PollUntil([&] { return step == 4; });
        DestroyWindow(theirs);
    });
    ASSERT_TRUE(drive::PollUntil([&] { return step == 1; }));
    EXPECT_FALSE(IsWindowEnabled(theirs));
    EXPECT_EQ(SuspendedWindowCount(), 2);

    ResumeOtherWindows();
    EXPECT_TRUE(IsWindowEnabled(back));
    EXPECT_FALSE(IsWindowEnabled(theirs)) << "another thread's window was re-enabled";
    EXPECT_EQ(SuspendedWindowCount(), 1);

    step = 2;
    ASSERT_TRUE(drive::PollUntil([&] { return step == 3; }));
    EXPECT_TRUE(IsWindowEnabled(theirs));
    EXPECT_EQ(SuspendedWindowCount(), 0);
    step = 4;
    worker.join();
    for (HWND window : {front, back, hidden})
        DestroyWindow(window);
}

} // namespace
