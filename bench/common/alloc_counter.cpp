#include "alloc_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);
// Bounds of this executable's code, from the GNU linker.
extern const char __executable_start;
extern const char etext;
}

namespace {

std::atomic<uint64_t> g_new{0};
std::atomic<uint64_t> g_cOurs{0};
std::atomic<uint64_t> g_cAll{0};

inline void CountC(const void* caller) {
    g_cAll.fetch_add(1, std::memory_order_relaxed);
    const char* at = static_cast<const char*>(caller);
    if (at >= &__executable_start && at < &etext) g_cOurs.fetch_add(1, std::memory_order_relaxed);
}

inline void* CountedNew(size_t size) {
    g_new.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size == 0 ? 1 : size);
}

}  // namespace

extern "C" void* malloc(size_t size) {
    CountC(__builtin_return_address(0));
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size) {
    CountC(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* p, size_t size) {
    CountC(__builtin_return_address(0));
    return __libc_realloc(p, size);
}

void* operator new(size_t size) {
    if (void* p = CountedNew(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* p = CountedNew(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return CountedNew(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return CountedNew(size);
}
void operator delete(void* p) noexcept {
    __libc_free(p);
}
void operator delete[](void* p) noexcept {
    __libc_free(p);
}
void operator delete(void* p, size_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, size_t) noexcept {
    __libc_free(p);
}

namespace bench {

AllocCounts AllocSnapshot() {
    return {g_new.load(std::memory_order_relaxed), g_cOurs.load(std::memory_order_relaxed),
            g_cAll.load(std::memory_order_relaxed)};
}

}  // namespace bench
