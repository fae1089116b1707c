#include "app/tick.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace {
TickSource tickSource = nullptr;
}

uint32_t SystemTickCount() {
#ifdef _WIN32
    return GetTickCount();
#else
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
#endif
}

uint32_t ReadTickCount() {
    return tickSource != nullptr ? tickSource() : SystemTickCount();
}

void SetTickSource(TickSource source) {
    tickSource = source;
}
