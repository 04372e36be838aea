// Linked into a copy of pagewright-cli for the hostile cases: every thread but the main one finds
// no memory at all, and the main thread makes no allocation once a thread has been started until a
// worker has met that failure (at most 5 s), so that some conversion surely meets it.

#include "tests/support/failing_new.h"

#include <atomic>
#include <cstddef>
#include <ctime>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_threadStarted{false};

bool OnMainThread() {
    return static_cast<pid_t>(syscall(SYS_gettid)) == getpid();
}

void BeforeAllocation() {
    if (!OnMainThread()) {
        pagewright::testing::FailNextAllocations(static_cast<std::size_t>(-1));
        return;
    }
    if (!g_threadStarted.load())
        return;
    const timespec pause{0, 1000000};
    for (int waited = 0; waited < 5000 && pagewright::testing::FailedAllocations() == 0; ++waited)
        nanosleep(&pause, nullptr);
}

const bool g_installed = (pagewright::testing::SetBeforeAllocation(BeforeAllocation), true);

using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

} // namespace

// Found before the C library's, also by the C++ library's threads.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) {
    static const auto next = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
    const int result = next(thread, attr, start, arg);
    g_threadStarted.store(g_installed);
    return result;
}
