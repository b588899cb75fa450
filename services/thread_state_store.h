// The platform's half of the per-thread state: where a thread's list of
// states is kept, and the call that empties it when the thread ends.
#pragma once

#include <vector>

// A thread's states, indexed by kind.
using ThreadStates = std::vector<void*>;

// The calling thread's list; made on demand when create is set; null when
// there is none (or none could be made).
ThreadStates* CurrentThreadStates(bool create);

// Frees the calling thread's list, whose states are already destroyed.
void ForgetCurrentThreadStates();

// Destroys the states in the list, newest kind first (the platform's thread-end
// hook calls this before freeing the list).
void DestroyThreadStates(ThreadStates* states);
