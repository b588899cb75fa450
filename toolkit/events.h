// The toolkit's integer event stream: event codes and types, the per-thread
// event state and its queue. Platform-neutral; the Win32 window procedure
// raises events into it and WaitEvent reads them out.
#pragma once

#include <cstdint>

#include "services/thread_state.h"

// Event codes returned by WaitEvent.
constexpr int32_t EventNone = 0;          // time limit reached
constexpr int32_t EventMoved = 3;         // window moved
constexpr int32_t EventSized = 5;         // inner size changed (not on minimising)
constexpr int32_t EventRepaint = 15;      // background repainted
constexpr int32_t EventCloseWindow = 16;  // the user asked to close the window
constexpr int32_t EventFilesDropped = 563; // files were dropped on the window
constexpr int32_t EventControl = 13100;   // a control reported activity
constexpr int32_t EventActivated = 13104; // window became active
constexpr int32_t EventMinimised = 13107; // window minimised
constexpr int32_t EventMaximised = 13108; // window maximised
constexpr int32_t EventRestored = 13109;  // restored after minimised/maximised
constexpr int32_t EventDoubleClick = 13110; // double-click on the window or a label on it
constexpr int32_t EventMenuCommand = 13111; // an item added to the system menu was chosen

// Types of EventControl (LastEventType).
constexpr int32_t TypeNone = -1;
constexpr int32_t TypeButtonPressed = 0;
constexpr int32_t TypeSpinUp = 1;
constexpr int32_t TypeSpinDown = -1;
constexpr int32_t TypeFocusGained = 256;
constexpr int32_t TypeFocusLost = 512;
constexpr int32_t TypeTextChanged = 768;
constexpr int32_t TypeTextUpdating = 1024;
constexpr int32_t TypeFieldFocusGained = 14000; // later, separate event of a text field
constexpr int32_t TypeFieldFocusLost = 14001;

// Commands the keyboard table gives for Tab and Shift+Tab.
constexpr int32_t CommandNextFocus = 64001;
constexpr int32_t CommandPreviousFocus = 64002;

struct QueuedEvent {
    int32_t code;
    int32_t window;
    bool operator==(const QueuedEvent&) const = default;
};

// First in, first out; a pair equal to the last one queued is not queued again.
// Its nodes are taken without exceptions, since events are queued inside
// window procedures: a pair that finds no memory is dropped.
class EventQueue {
  public:
    EventQueue() = default;
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;
    ~EventQueue() { Clear(); }

    void Append(int32_t code, int32_t window);
    // Removes the first pair into *event; false when empty.
    bool TakeFirst(QueuedEvent* event);
    bool Empty() const { return !first; }
    int32_t Size() const { return count; }
    void Clear();

  private:
    struct Node {
        QueuedEvent event;
        Node* next;
    };
    Node* first = nullptr;
    Node* last = nullptr;
    int32_t count = 0;
};

// What one thread knows about its events. The steps of a wait are split so the
// native loop in between stays on the platform side.
struct EventState {
    PerThreadStateCount alive;
    int32_t lastControl = 0;
    int32_t lastWindow = 0;
    int32_t lastType = TypeNone;
    int32_t pending = EventNone;
    int64_t rawFirst = 0; // parameters of the last raw native message returned
    int64_t rawSecond = 0;
    EventQueue queue;

    // A control reported activity: overwrites the pending event.
    void RaiseControl(int32_t control, int32_t type);
    // A window event: queued, unless it repeats the last queued pair.
    void RaiseWindow(int32_t code, int32_t window) { queue.Append(code, window); }
    // Step 1 of a wait: forget the last event's type.
    void BeginWait() { lastType = TypeNone; }
    // Step 2: the first queued event, or EventNone.
    int32_t TakeQueued();
    // Step 5: the pending event (cleared), or EventNone.
    int32_t TakePending();
};
