// Threads and time.
#pragma once

namespace platform {

using ThreadEntry = void (*)(void* argument);

// Starts a detached thread running entry(argument). With highestPriority the thread runs at
// THREAD_PRIORITY_HIGHEST where the platform allows it. Returns false when it cannot be created.
bool StartDetachedThread(ThreadEntry entry, void* argument, bool highestPriority);

void SleepMilliseconds(unsigned milliseconds);

}  // namespace platform
