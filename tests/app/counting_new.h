// Global operator new and delete that count every allocation and those still live. Include it in one
// source file of a test program of its own, so that it counts only what that program allocates.
#pragma once

#include <cstdlib>
#include <new>

inline long allocations = 0;
inline long liveAllocations = 0;

void* operator new(std::size_t size) {
    ++allocations;
    ++liveAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    ++liveAllocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    if (p != nullptr) --liveAllocations;
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
