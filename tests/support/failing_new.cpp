#include "tests/support/failing_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t t_failing = 0;
std::atomic<std::size_t> g_failed{0};
std::atomic<void (*)()> g_before{nullptr};

void* Allocate(std::size_t size) noexcept {
    if (const auto before = g_before.load())
        before();
    if (t_failing > 0) {
        --t_failing;
        g_failed.fetch_add(1);
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}

} // namespace

namespace pagewright::testing {

void FailNextAllocations(std::size_t count) {
    t_failing = count;
}

std::size_t FailedAllocations() {
    return g_failed.load();
}

void SetBeforeAllocation(void (*hook)()) {
    g_before.store(hook);
}

} // namespace pagewright::testing

// Every form that pairs with free(), so that no allocator sees another's memory.
void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
