// Benchmark of the paced wait: a ten-second stretch of PacedDelay(1000) waits on
// a worker thread, with the processor time it took as a share of one core and
// the length of every wait against 1000 ms. For scale it then measures two
// seconds of the plain busy poll (pump, read the counter, pump, without pause).
// It prints figures and judges nothing; tools/bench-paced-delay.sh runs it. Lines
// "@mark <name>" tell that script when each part begins and ends, so that it
// can add the Wine server's processor time for the same span.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "runtime/threads.h"
#include "tests/windows/driver/driver.h"

namespace {

using driver::NowMs;

constexpr int Waits = 10;
constexpr int32_t WaitMs = 1000;
constexpr DWORD BaselineMs = 2000;

double Ms(const FILETIME& time) {
    return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
}

double ThreadCpuMs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    return Ms(kernel) + Ms(user);
}

double ProcessCpuMs() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return Ms(kernel) + Ms(user);
}

struct Stretch {
    double wallMs[Waits];
    DWORD counterMs[Waits];
    double threadCpuMs;
    double processCpuMs;
    double totalMs;
} stretch;

void TenWaits() {
    const double threadBefore = ThreadCpuMs();
    const double processBefore = ProcessCpuMs();
    const double start = NowMs();
    for (int i = 0; i < Waits; ++i) {
        const DWORD tick = GetTickCount();
        const double before = NowMs();
        PacedDelay(WaitMs);
        stretch.wallMs[i] = NowMs() - before;
        stretch.counterMs[i] = GetTickCount() - tick;
    }
    stretch.totalMs = NowMs() - start;
    stretch.threadCpuMs = ThreadCpuMs() - threadBefore;
    stretch.processCpuMs = ProcessCpuMs() - processBefore;
}

struct Baseline {
    double threadCpuMs;
    double totalMs;
} baseline;

// The wait as it would be without sleeping: the counter and the queue polled
// without pause.
void BusyPoll() {
    const double threadBefore = ThreadCpuMs();
    const double start = NowMs();
    const DWORD first = GetTickCount();
    for (;;) {
        PumpPendingMessages();
        PumpPendingMessages();
        if (GetTickCount() - first > BaselineMs) break;
        PumpPendingMessages();
        PumpPendingMessages();
    }
    baseline.totalMs = NowMs() - start;
    baseline.threadCpuMs = ThreadCpuMs() - threadBefore;
}

// The largest step of the tick counter over a few of its steps.
DWORD LargestCounterStep() {
    DWORD last = GetTickCount();
    while (GetTickCount() == last) {
    }
    last = GetTickCount();
    DWORD largest = 0;
    for (int seen = 0; seen < 20;) {
        const DWORD now = GetTickCount();
        if (now == last) continue;
        largest = std::max(largest, now - last);
        last = now;
        ++seen;
    }
    return largest;
}

void Mark(const char* name) {
    std::printf("@mark %s\n", name);
    std::fflush(stdout);
}

bool RunOnWorker(ThreadRoutine routine, const char* part) {
    std::atomic<ThreadHandle> handle{0};
    if (!StartThread(routine, &handle)) return false;
    Mark(part);
    const bool ended = WaitForSingleObject(reinterpret_cast<HANDLE>(handle.load()), INFINITE) == WAIT_OBJECT_0;
    Mark(part);
    return ended;
}

} // namespace

int main() {
    const DWORD step = LargestCounterStep();
    std::printf("PacedDelay(%d) x %d on a worker thread; tick counter steps up to %lu ms\n", static_cast<int>(WaitMs),
                Waits, static_cast<unsigned long>(step));
    std::fflush(stdout);
    if (!RunOnWorker(TenWaits, "stretch")) {
        std::printf("could not start the worker\n");
        return 1;
    }
    double shortest = 1e9;
    double longest = 0;
    double sum = 0;
    for (int i = 0; i < Waits; ++i) {
        std::printf("  wait %2d: %8.2f ms wall clock, %4lu ms on the tick counter, %+6.2f ms against %d\n", i + 1,
                    stretch.wallMs[i], static_cast<unsigned long>(stretch.counterMs[i]), stretch.wallMs[i] - WaitMs,
                    static_cast<int>(WaitMs));
        shortest = std::min(shortest, stretch.wallMs[i]);
        longest = std::max(longest, stretch.wallMs[i]);
        sum += stretch.wallMs[i];
    }
    std::printf("waits: shortest %.2f ms, mean %.2f ms, longest %.2f ms (wall clock)\n", shortest, sum / Waits,
                longest);
    std::printf("stretch: %.1f ms; processor time of the worker %.1f ms = %.3f %% of one core; "
                "of the whole process %.1f ms = %.3f %%\n",
                stretch.totalMs, stretch.threadCpuMs, 100.0 * stretch.threadCpuMs / stretch.totalMs,
                stretch.processCpuMs, 100.0 * stretch.processCpuMs / stretch.totalMs);

    if (!RunOnWorker(BusyPoll, "busy-poll")) return 1;
    std::printf("for scale, the busy poll: %.1f ms of processor time in %.1f ms = %.1f %% of one core\n",
                baseline.threadCpuMs, baseline.totalMs, 100.0 * baseline.threadCpuMs / baseline.totalMs);
    return 0;
}
