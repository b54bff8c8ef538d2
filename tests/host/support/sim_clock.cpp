// The simulated local clock and millisecond tick counter of the native build.
#include <atomic>
#include <ctime>
#include <mutex>

#include "runtime/clock.h"
#include "tests/host/support/host_support.h"

namespace {
std::mutex clockLock;
// Seconds since 1970-01-01 of the simulated local time, plus milliseconds.
int64_t clockMilliseconds = 0;
uint32_t tickCount = 1000;
std::atomic<int64_t> readCount{0};
std::function<void()> readHook;

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalClockReading FromMilliseconds(int64_t ms) {
    int64_t seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    int64_t secondOfDay = seconds - days * 86400;
    // Civil date from days since 1970-01-01.
    int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
    return LocalClockReading{static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d),
                             static_cast<int32_t>(secondOfDay / 3600), static_cast<int32_t>(secondOfDay / 60 % 60),
                             static_cast<int32_t>(secondOfDay % 60)};
}
} // namespace

void SimSetClock(const LocalClockReading& r) {
    std::lock_guard<std::mutex> guard(clockLock);
    clockMilliseconds = (DaysFromCivil(r.year, r.month, r.day) * 86400 + r.hour * 3600 + r.minute * 60 + r.second) * 1000;
}

LocalClockReading SimClock() {
    std::lock_guard<std::mutex> guard(clockLock);
    return FromMilliseconds(clockMilliseconds);
}

void SimAdvanceClockMilliseconds(int64_t milliseconds) {
    std::lock_guard<std::mutex> guard(clockLock);
    clockMilliseconds += milliseconds;
    tickCount += static_cast<uint32_t>(milliseconds);
}

uint32_t SimTickCount() {
    std::lock_guard<std::mutex> guard(clockLock);
    return tickCount;
}

int64_t SimClockReadCount() { return readCount.load(); }

void SimSetClockReadHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> guard(clockLock);
    readHook = std::move(hook);
}

LocalClockReading ReadLocalClock() {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(clockLock);
        hook = readHook;
    }
    if (hook) hook();
    ++readCount;
    return SimClock();
}
