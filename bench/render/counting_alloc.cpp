// A counting allocator interposed over glibc's: every block of 32 KiB or more that anything in the
// process asks for (our code, the C++ library, the OpenGL driver) is counted, then glibc serves it.
#include "counting_alloc.h"

#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

std::atomic<long> bigAllocations{0};

namespace {
void Count(size_t size) {
    if (size >= kBigAllocation) bigAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
    Count(size);
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    Count(count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    Count(size);
    return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
    Count(size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    Count(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    Count(size);
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) {
    __libc_free(p);
}
}
