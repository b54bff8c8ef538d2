// Worker threads, their stop requests, and the paced wait of a countdown tick.
#pragma once
#include <atomic>
#include <cstdint>

// An operating-system thread handle; 0 stands for no thread.
using ThreadHandle = uintptr_t;
using ThreadRoutine = void (*)();

// Starts `routine` on a new thread. With a handle variable the handle is stored
// there (0 when creation failed) and stays open; a handle the variable held
// before is closed first. Without one the handle is closed at once.
bool StartThread(ThreadRoutine routine, std::atomic<ThreadHandle>* handleVariable = nullptr);

// Ends a worker. Another thread's worker is asked to stop: from the moment this
// returns it makes no further control access and starts no command, and it
// leaves at its next safe point. A worker that names its own handle is marked
// ended in the same way and must leave its routine straight after the call.
// 0 and the handle of an ended thread change nothing. True when the handle
// named a thread of this program.
bool ForceEndThread(ThreadHandle handle);

// Stops every worker as ForceEndThread does; used when the window goes, so
// that nothing is started on the way out.
void StopAllWorkers();

// True when the calling thread is a worker that has been asked to stop or has
// ended itself.
bool ThreadStopRequested();

// Waits `milliseconds` on the millisecond tick counter, dispatching the calling
// thread's window messages meanwhile. Returns at the first counter reading more
// than `milliseconds` past the start; at once for 0 or less; early when the
// calling worker is asked to stop.
void PacedDelay(int32_t milliseconds);

// The decision of a paced wait begun at counter reading `start`, at reading
// `now`: over once the counter has moved more than `milliseconds` past the
// start (at once for 0 or less). The distance is taken modulo 2^32, so a wait
// across the counter's wrap lasts as long as any other.
bool PacedWaitOver(uint32_t start, uint32_t now, int32_t milliseconds);
// How long to sleep at reading `now` before the counter can first be past the
// target: the milliseconds left plus one; 0 once the wait is over.
uint32_t PacedWaitSleep(uint32_t start, uint32_t now, int32_t milliseconds);

// Dispatches the calling thread's pending messages, leaving WM_QUIT queued.
void PumpPendingMessages();

// The gate of a worker's outward steps (starting a command). BeginWorkerStep
// returns false, holding nothing, when the calling worker has been stopped;
// otherwise Stop cannot take effect until EndWorkerStep. Always true on threads
// that are not workers.
bool BeginWorkerStep();
void EndWorkerStep();

// Identifies the calling worker for calls carried to the window thread; 0 on
// other threads. WorkerTokenStopped tells, on any thread, whether that worker
// has been stopped.
uintptr_t CurrentWorkerToken();
bool WorkerTokenStopped(uintptr_t token);
