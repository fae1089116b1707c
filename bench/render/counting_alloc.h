// Blocks of 32 KiB or more allocated so far by anything in the process (see counting_alloc.cpp); stays
// 0 in builds without the counting allocator (sanitizer builds bring their own).
#pragma once

#include <atomic>
#include <cstddef>

constexpr std::size_t kBigAllocation = 32 * 1024;
extern std::atomic<long> bigAllocations;
