// CurrentDateTime on Windows: the operating system's local time in whole
// seconds, from any thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/clock.h"
#include "runtime/conversions.h"

namespace {

// GetLocalTime to the whole second, as a DateTime.
DateTime SystemLocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return EncodeDateTime(DateTimeParts{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

// One second later, on the DateTime scale (the system clock is after 1899).
DateTime NextSecond(DateTime value) {
    DateTimeParts parts = SplitDateTime(value + 1.1574074074074073e-05);
    return EncodeDateTime(parts);
}

TEST(CurrentDateTime, IsTheSystemsLocalTimeInWholeSeconds) {
    for (int i = 0; i < 20; ++i) {
        const DateTime before = SystemLocalNow();
        const DateTime now = CurrentDateTime();
        const DateTime after = SystemLocalNow();
        // The clock may turn over a second between the readings, but not more:
        // `now` is one of the readings around it.
        ASSERT_TRUE(after == before || after == NextSecond(before));
        EXPECT_TRUE(now == before || now == after) << before << " " << now << " " << after;
        // A whole second: its parts encode to it exactly.
        EXPECT_EQ(EncodeDateTime(SplitDateTime(now)), now);
        Sleep(50);
    }
}

TEST(CurrentDateTime, DropsTheFractionOfASecond) {
    // Late in a second a clock that rounded would already show the next one.
    for (int i = 0; i < 3; ++i) {
        SYSTEMTIME late;
        do {
            Sleep(5);
            GetLocalTime(&late);
        } while (late.wMilliseconds < 600 || late.wMilliseconds > 850);
        const DateTime before =
            EncodeDateTime(DateTimeParts{late.wYear, late.wMonth, late.wDay, late.wHour, late.wMinute, late.wSecond});
        const DateTime now = CurrentDateTime();
        const DateTime after = SystemLocalNow();
        EXPECT_TRUE(now == before || now == after) << before << " " << now << " " << after;
    }
}

TEST(CurrentDateTime, AgreesWithTheClockReading) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    const LocalClockReading reading = ReadLocalClock();
    SYSTEMTIME after;
    GetLocalTime(&after);
    auto same = [&reading](const SYSTEMTIME& t) {
        return reading.year == t.wYear && reading.month == t.wMonth && reading.day == t.wDay &&
               reading.hour == t.wHour && reading.minute == t.wMinute && reading.second == t.wSecond;
    };
    EXPECT_TRUE(same(before) || same(after));
}

TEST(CurrentDateTime, IsSafeOnManyThreadsAtOnce) {
    const DateTime start = SystemLocalNow();
    std::atomic<int> outside{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&outside, start] {
            for (int i = 0; i < 2000; ++i) {
                const DateTime now = CurrentDateTime();
                if (!(now >= start && now < start + 0.01 && EncodeDateTime(SplitDateTime(now)) == now)) ++outside;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const DateTime end = SystemLocalNow();
    EXPECT_EQ(outside.load(), 0);
    EXPECT_GE(end, start);
}

} // namespace
