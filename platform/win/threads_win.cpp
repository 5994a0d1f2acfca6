#include <windows.h>

#include <new>

#include "platform/threads.h"

namespace platform {
namespace {

struct ThreadStart {
    ThreadEntry entry;
    void* argument;
};

DWORD WINAPI RunThread(LPVOID raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    // No exception leaves a thread: it would end the whole program.
    try {
        start.entry(start.argument);
    } catch (...) {
    }
    return 0;
}

}  // namespace

bool StartDetachedThread(ThreadEntry entry, void* argument, bool highestPriority) {
    auto* start = new (std::nothrow) ThreadStart{entry, argument};
    if (start == nullptr) return false;
    DWORD id;
    // Started suspended, so that the entry runs at its priority from the first instruction.
    HANDLE thread = CreateThread(nullptr, 0, RunThread, start, CREATE_SUSPENDED, &id);
    if (thread == nullptr) {
        delete start;
        return false;
    }
    if (highestPriority) SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    ResumeThread(thread);
    CloseHandle(thread);
    return true;
}

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace platform
