// Texts set by threads that do not own the control: they wait in one list,
// guarded by the only lock of the control unit, until the window's own thread
// applies them.
#include <mutex>
#include <vector>

#include "toolkit/control_record_win.h"
#include "toolkit/window_internal.h"

namespace {

struct HandedText {
    HWND window;
    int32_t number;
    Text text;
};

std::mutex handOverLock;
std::vector<HandedText> handedOver;

} // namespace

// Called on a thread that does not own the control: the text waits in the
// list and the window's thread is woken with one posted message, which it
// serves inside its wait. The caller never waits for the window's thread, so
// a window thread that waits for this one cannot deadlock against it.
void HandOver(HWND control, int32_t number, const char* text) {
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return;
    bool wake = true;
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        for (HandedText& waiting : handedOver) {
            if (waiting.window != window) continue;
            // A wake-up is already on its way to the window.
            wake = false;
            if (waiting.number == number) {
                waiting.text = TextView(text);
                return;
            }
        }
        handedOver.push_back({window, number, Text(TextView(text))});
    }
    if (wake && !PostMessageA(window, MessageHandOver, 0, 0)) DropHandedOverTexts(window);
}

bool ApplyHandedOverTexts(HWND window) {
    std::vector<HandedText> mine;
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        for (auto it = handedOver.begin(); it != handedOver.end();) {
            if (it->window == window) {
                mine.push_back(std::move(*it));
                it = handedOver.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (HandedText& handed : mine) {
        ControlRecord* record = LiveControl(handed.number);
        if (!record || GetAncestor(record->handle.load(), GA_ROOT) != window) continue;
        // Set by the program, not typed: no change event.
        KeepPendingEvent keep;
        SetTextHere(*record, handed.text.c_str());
    }
    return !mine.empty();
}

void DropHandedOverTexts(HWND window) {
    std::lock_guard<std::mutex> guard(handOverLock);
    std::erase_if(handedOver,
                  [window](const HandedText& handed) { return handed.window == window; });
}

void CancelHandOver(HWND control, int32_t number) {
    HWND window = GetAncestor(control, GA_ROOT);
    std::lock_guard<std::mutex> guard(handOverLock);
    // The wake-up already posted finds nothing for the control then, which
    // is harmless.
    std::erase_if(handedOver, [window, number](const HandedText& handed) {
        return handed.window == window && handed.number == number;
    });
}

void DropThreadHandedOverTexts() {
    std::lock_guard<std::mutex> guard(handOverLock);
    std::erase_if(handedOver, [](const HandedText& handed) {
        return GetWindowThreadProcessId(handed.window, nullptr) == GetCurrentThreadId();
    });
}
