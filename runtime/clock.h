// The system clock, read as local calendar time in whole seconds.
#pragma once
#include <cstdint>

struct LocalClockReading {
    int32_t year, month, day, hour, minute, second;
};

// Reads the clock now; safe to call on any thread.
LocalClockReading ReadLocalClock();
