#include "toolkit/events.h"

#include <new>

void EventQueue::Append(int32_t code, int32_t window) {
    // A burst of identical window messages (two moves before the program
    // waits) carries no more news than one.
    const QueuedEvent event{code, window};
    if (last && last->event == event) return;
    Node* node = new (std::nothrow) Node{event, nullptr};
    if (!node) return;
    (last ? last->next : first) = node;
    last = node;
    ++count;
}

bool EventQueue::TakeFirst(QueuedEvent* event) {
    if (!first) return false;
    Node* node = first;
    *event = node->event;
    first = node->next;
    if (!first) last = nullptr;
    --count;
    delete node;
    return true;
}

void EventQueue::Clear() {
    QueuedEvent ignored;
    while (TakeFirst(&ignored)) {
    }
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
