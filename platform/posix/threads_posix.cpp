#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <new>

#include "platform/threads.h"

namespace platform {
namespace {

struct ThreadStart {
    ThreadEntry entry;
    void* argument;
};

void* RunThread(void* raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    // No exception leaves a thread: it would end the whole program.
    try {
        start.entry(start.argument);
    } catch (...) {
    }
    return nullptr;
}

// A connection thread needs little stack; a small one keeps thousands of idle connections cheap.
constexpr size_t kStackSize = 256 * 1024;

}  // namespace

bool StartDetachedThread(ThreadEntry entry, void* argument, bool /*highestPriority*/) {
    auto* start = new (std::nothrow) ThreadStart{entry, argument};
    if (start == nullptr) return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        delete start;
        return false;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, kStackSize);
    pthread_t thread;
    int result = pthread_create(&thread, &attributes, RunThread, start);
    pthread_attr_destroy(&attributes);
    if (result != 0) {
        delete start;
        return false;
    }
    return true;
}

void SleepMilliseconds(unsigned milliseconds) {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
