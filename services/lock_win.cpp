#include "services/lock.h"

#include <windows.h>

static_assert(sizeof(SRWLOCK) == sizeof(void*) && alignof(SRWLOCK) == alignof(void*));

void Lock::lock() {
    AcquireSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&state_));
}

void Lock::unlock() {
    ReleaseSRWLockExclusive(reinterpret_cast<SRWLOCK*>(&state_));
}
