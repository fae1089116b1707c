// The millisecond tick count the frame clock reads: GetTickCount on Windows, a monotonic clock
// elsewhere, both wrapping at 2^32. Tests replace the source to drive time by hand.
#pragma once

#include <cstdint>

using TickSource = uint32_t (*)();

uint32_t ReadTickCount();
uint32_t SystemTickCount();
// Replaces the tick source; nullptr restores the system's.
void SetTickSource(TickSource source);
