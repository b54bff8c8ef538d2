// Start and Stop, and the two globals the window thread shares with the worker.
#pragma once
#include <atomic>
#include <cstdint>

#include "runtime/threads.h"

// 1 while a countdown may go on; the worker begins a tick only while it is 1.
extern std::atomic<int32_t> RunFlag;
// Handle of the worker started last; 0 until the first Start.
extern std::atomic<ThreadHandle> WorkerHandle;

void OnStartClicked();
void OnStopClicked();

// The two countdown workers, each run on a thread of its own.
void MinutesCountdown();
void DateCountdown();
