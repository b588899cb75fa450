// Worker threads named by numbers instead of handles. Numbers start at 1 and
// are never reused during a run; 0 never names a thread. The table owns the
// thread handles and closes those of ended threads on the next SpawnThread,
// and all of them in ReleaseAllThreads.
#pragma once

#include <cstdint>

// A thread's procedure: takes the parameter given to SpawnThread unchanged and
// returns the thread's exit code.
using ThreadProcedure = uint32_t (*)(int32_t parameter);

// Prepares the table; call once before any other thread call.
void InitThreadTable();

// Starts procedure(parameter) on a new thread, which runs at once. The thread's
// number, or 0 when no thread could be created (no number is used up then).
int32_t SpawnThread(ThreadProcedure procedure, int32_t parameter);

// The handle (a HANDLE) of the numbered thread while it is registered and has
// not ended, else null. The table keeps ownership.
void* LiveThreadHandle(int32_t number);

// 1 while the numbered thread exists and has not ended, else 0.
int32_t ThreadAlive(int32_t number);

// Closes every registered handle and empties the table (shut-down).
void ReleaseAllThreads();

// Number of thread handles the table holds open (for leak checks in tests).
int32_t LiveThreadHandles();
