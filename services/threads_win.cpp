#include "services/threads.h"

#include <windows.h>

#include <list>
#include <mutex>
#include <new>

#include "services/lock.h"
#include "services/owned_handle.h"

namespace {

struct ThreadEntry {
    OwnedHandle thread;
    int32_t number;
};

// ThreadTable, newest first, and the next number to hand out; both guarded by
// TableLock, under which the only waits have a zero time-out. The lock needs
// no preparation, so a call before InitThreadTable is safe.
Lock tableLock;
std::list<ThreadEntry> threadTable;
int32_t nextThreadNumber = 1;

using TableLock = std::lock_guard<Lock>;

bool HasEnded(HANDLE thread) {
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

// The platform hands a thread one pointer; the procedure and its 32-bit
// parameter travel in a block the new thread frees before it runs them.
struct StartBlock {
    ThreadProcedure procedure;
    int32_t parameter;
};

DWORD WINAPI StartThread(LPVOID raw) {
    const StartBlock block = *static_cast<StartBlock*>(raw);
    delete static_cast<StartBlock*>(raw);
    return block.procedure(block.parameter);
}

} // namespace

void InitThreadTable() {
    // The table and its lock start empty and unlocked.
}

int32_t SpawnThread(ThreadProcedure procedure, int32_t parameter) {
    if (!procedure) return 0;
    auto* block = new (std::nothrow) StartBlock{procedure, parameter};
    if (!block) return 0;
    OwnedHandle thread(CreateThread(nullptr, 4096, StartThread, block, 0, nullptr));
    if (!thread.valid()) {
        delete block;
        return 0;
    }
    TableLock hold(tableLock);
    // Ended threads leave the table here, so their handles close at the
    // latest when the next thread starts.
    std::erase_if(threadTable,
                  [](const ThreadEntry& entry) { return HasEnded(entry.thread.get()); });
    const int32_t number = nextThreadNumber++;
    threadTable.push_front(ThreadEntry{std::move(thread), number});
    return number;
}

void* LiveThreadHandle(int32_t number) {
    TableLock hold(tableLock);
    for (const ThreadEntry& entry : threadTable) {
        if (entry.number == number)
            return HasEnded(entry.thread.get()) ? nullptr : entry.thread.get();
    }
    return nullptr;
}

int32_t ThreadAlive(int32_t number) {
    HANDLE thread = LiveThreadHandle(number);
    if (!thread) return 0;
    // Outside the lock: the thread may have ended since the lookup.
    return HasEnded(thread) ? 0 : 1;
}

void ReleaseAllThreads() {
    TableLock hold(tableLock);
    threadTable.clear();
}

int32_t LiveThreadHandles() {
    TableLock hold(tableLock);
    return static_cast<int32_t>(threadTable.size());
}
