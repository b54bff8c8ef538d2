// The system clock as local calendar time, whole seconds, by the system's
// time-zone rules. GetLocalTime keeps no shared state, so any thread may call it.
#include "runtime/clock.h"

#include <windows.h>

LocalClockReading ReadLocalClock() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalClockReading{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
