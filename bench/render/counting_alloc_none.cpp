#include "counting_alloc.h"

std::atomic<long> bigAllocations{0};
