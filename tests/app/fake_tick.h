// A tick count the test sets by hand, installed as the frame clock's source for the test's lifetime.
#pragma once

#include "app/tick.h"

inline uint32_t fakeTick = 0;

struct FakeTickScope {
    explicit FakeTickScope(uint32_t start) {
        fakeTick = start;
        SetTickSource([] { return fakeTick; });
    }
    ~FakeTickScope() { SetTickSource(nullptr); }
};
