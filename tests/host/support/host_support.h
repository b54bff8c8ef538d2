// Native stand-ins for the Windows layer: a counting text heap, a fatal path
// that prints and exits, a simulated clock and tick counter, a simulated window
// built from the real window description, simulated worker threads, and a
// recorder of the command lines started.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/threads.h"

// ---- text heap
int64_t HostLiveTexts();        // blocks from AllocateText not yet released
int64_t HostAllocationCount();  // AllocateText calls so far
bool HostIsLiveText(const void* text);

// ---- clock: the simulated local clock. Tests set it; the simulated PacedDelay
// advances it together with the tick counter.
void SimSetClock(const LocalClockReading& reading);
LocalClockReading SimClock();
void SimAdvanceClockMilliseconds(int64_t milliseconds);
uint32_t SimTickCount();
// Readings of the clock so far (ReadLocalClock calls).
int64_t SimClockReadCount();
// Makes each ReadLocalClock call run `hook` first (for example to move the
// clock between the readings of one tick); an empty hook removes it.
void SimSetClockReadHook(std::function<void()> hook);
