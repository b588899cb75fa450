#include "toolkit/events.h"

#include <new>

void EventQueue::Append(int32_t code, int32_t window) {
    // A burst of identical window messages (two moves before the program
    // waits) carries no more news than one.
    QueuedEvent event{code, window};
    if (!pairs.empty() && pairs.back() == event) return;
    // Raised inside window procedures, which nothing may leave by an
    // exception: without room the event is dropped.
    try {
        pairs.push_back(event);
    } catch (const std::bad_alloc&) {
    }
}

bool EventQueue::TakeFirst(QueuedEvent* event) {
    if (pairs.empty()) return false;
    *event = pairs.front();
    pairs.pop_front();
    return true;
}

void EventState::RaiseControl(int32_t control, int32_t type) {
    // One slot only: the last notification of one dispatch wins, so a
    // keystroke's 1024 is overwritten by its 768.
    pending = EventControl;
    lastControl = control;
    lastType = type;
}

int32_t EventState::TakeQueued() {
    QueuedEvent event;
    if (!queue.TakeFirst(&event)) return EventNone;
    lastWindow = event.window;
    return event.code;
}

int32_t EventState::TakePending() {
    int32_t code = pending;
    pending = EventNone;
    return code;
}
