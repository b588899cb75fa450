// Texts set by threads that do not own the control: they wait in one list,
// guarded by the only lock of the control unit, until the window's own thread
// applies them. Nothing is allocated or freed while the lock is held: the
// code is built without exceptions, so a failed allocation under it would
// leave the lock taken and every later hand-over, quit and close waiting.
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <utility>

#include "services/lock.h"
#include "toolkit/control_record_win.h"
#include "toolkit/window_internal.h"

namespace {

struct HandedText {
    HWND window = nullptr;
    int32_t number = 0;
    std::unique_ptr<char[]> text; // zero-terminated
    HandedText* next = nullptr;
};

Lock handOverLock;
HandedText* handedOver = nullptr; // oldest first

// Frees a chain of texts taken out of the list.
void FreeChain(HandedText* chain) {
    while (chain)
        delete std::exchange(chain, chain->next);
}

// Takes every text out of the list for which keep is false and gives them
// back as a chain, oldest first. Call with the lock held; allocates nothing.
template <typename Keep> HandedText* TakeOut(Keep keep) {
    HandedText* taken = nullptr;
    HandedText** takenEnd = &taken;
    for (HandedText** link = &handedOver; *link;) {
        HandedText* handed = *link;
        if (keep(*handed)) {
            link = &handed->next;
            continue;
        }
        *link = handed->next;
        handed->next = nullptr;
        *takenEnd = handed;
        takenEnd = &handed->next;
    }
    return taken;
}

// A copy of the text for the list, or null when memory is short.
HandedText* NewHandedText(HWND window, int32_t number, const char* text) {
    const std::string_view given = TextView(text);
    auto* handed = new (std::nothrow) HandedText;
    if (!handed) return nullptr;
    handed->text.reset(new (std::nothrow) char[given.size() + 1]);
    if (!handed->text) {
        delete handed;
        return nullptr;
    }
    std::memcpy(handed->text.get(), given.data(), given.size());
    handed->text[given.size()] = '\0';
    handed->window = window;
    handed->number = number;
    return handed;
}

bool SameText(HWND control, const char* text) {
    const size_t length = std::strlen(text);
    if (static_cast<size_t>(GetWindowTextLengthA(control)) != length) return false;
    std::unique_ptr<char[]> shown(new (std::nothrow) char[length + 1]);
    if (!shown) return false;
    const int copied = GetWindowTextA(control, shown.get(), static_cast<int>(length + 1));
    return static_cast<size_t>(copied) == length && std::memcmp(shown.get(), text, length) == 0;
}

} // namespace

// Called on a thread that does not own the control: the text waits in the
// list and the window's thread is woken with one posted message, which it
// serves inside its wait. The caller never waits for the window's thread, so
// a window thread that waits for this one cannot deadlock against it. A text
// that finds no memory is dropped, as the next one replaces it anyway.
void HandOver(HWND control, int32_t number, const char* text) {
    HWND window = GetAncestor(control, GA_ROOT);
    if (!window) return;
    HandedText* handed = NewHandedText(window, number, text);
    if (!handed) return;
    bool wake = true;
    bool replaced = false;
    {
        std::lock_guard<Lock> guard(handOverLock);
        HandedText** end = &handedOver;
        for (HandedText* waiting = handedOver; waiting; waiting = waiting->next) {
            end = &waiting->next;
            if (waiting->window != window) continue;
            // A wake-up is already on its way to the window.
            wake = false;
            if (waiting->number == number) {
                // The older text leaves with the new record, freed below.
                std::swap(waiting->text, handed->text);
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            *end = handed;
            handed = nullptr;
        }
    }
    delete handed;
    if (wake && !PostMessageA(window, MessageHandOver, 0, 0)) DropHandedOverTexts(window);
}

bool ApplyHandedOverTexts(HWND window) {
    HandedText* mine = nullptr;
    {
        std::lock_guard<Lock> guard(handOverLock);
        mine = TakeOut([window](const HandedText& handed) { return handed.window != window; });
    }
    const bool any = mine != nullptr;
    for (HandedText* handed = mine; handed; handed = handed->next) {
        ControlRecord* record = LiveControl(handed->number);
        if (!record || GetAncestor(record->handle.load(), GA_ROOT) != window) continue;
        // The same text again (a program at rest reads the same each pass)
        // is left alone: setting it would only draw the control anew.
        if (!record->kind->SetText && SameText(record->handle.load(), handed->text.get()))
            continue;
        // Set by the program, not typed: no change event.
        KeepPendingEvent keep;
        SetTextHere(*record, handed->text.get());
    }
    FreeChain(mine);
    return any;
}

void DropHandedOverTexts(HWND window) {
    HandedText* dropped = nullptr;
    {
        std::lock_guard<Lock> guard(handOverLock);
        dropped = TakeOut([window](const HandedText& handed) { return handed.window != window; });
    }
    FreeChain(dropped);
}

void CancelHandOver(HWND control, int32_t number) {
    HWND window = GetAncestor(control, GA_ROOT);
    HandedText* cancelled = nullptr;
    {
        std::lock_guard<Lock> guard(handOverLock);
        // The wake-up already posted finds nothing for the control then,
        // which is harmless.
        cancelled = TakeOut([window, number](const HandedText& handed) {
            return handed.window != window || handed.number != number;
        });
    }
    FreeChain(cancelled);
}

void DropThreadHandedOverTexts() {
    HandedText* dropped = nullptr;
    {
        std::lock_guard<Lock> guard(handOverLock);
        dropped = TakeOut([](const HandedText& handed) {
            return GetWindowThreadProcessId(handed.window, nullptr) != GetCurrentThreadId();
        });
    }
    FreeChain(dropped);
}
