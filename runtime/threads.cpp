// Worker threads on the operating system's threads. A worker is never ended by
// force: a stop request marks it stopped and wakes its wait, and from then on it
// reaches no control and starts no command, and leaves at its next safe point.
#include "runtime/threads.h"

#include <windows.h>

#include "app/window.h"

namespace {

struct Worker {
    ThreadRoutine routine;
    HANDLE stopEvent;         // set by a stop request; also what the worker's wait watches
    volatile LONG stopped;    // written under the step gate
    volatile LONG references; // the running thread, and the handle handed out
    HANDLE thread;            // the handle handed out (closed with the last reference)
    DWORD threadId;
    Worker* next;
};

// Guards the list of workers.
CRITICAL_SECTION registryLock;
// Orders a worker's outward steps against stop requests.
CRITICAL_SECTION stepGate;
Worker* workers = nullptr;

thread_local Worker* currentWorker = nullptr;

struct LockSetUp {
    LockSetUp() {
        InitializeCriticalSection(&registryLock);
        InitializeCriticalSection(&stepGate);
    }
} lockSetUp;

class RegistryGuard {
public:
    RegistryGuard() { EnterCriticalSection(&registryLock); }
    ~RegistryGuard() { LeaveCriticalSection(&registryLock); }
    RegistryGuard(const RegistryGuard&) = delete;
    RegistryGuard& operator=(const RegistryGuard&) = delete;
};

// Drops one reference; the last one closes the handles and forgets the worker.
void Release(Worker* worker) {
    if (InterlockedDecrement(&worker->references) != 0) return;
    {
        RegistryGuard guard;
        for (Worker** link = &workers; *link != nullptr; link = &(*link)->next) {
            if (*link == worker) {
                *link = worker->next;
                break;
            }
        }
    }
    if (worker->thread != nullptr) CloseHandle(worker->thread);
    CloseHandle(worker->stopEvent);
    delete worker;
}

Worker* FindByHandle(ThreadHandle handle) {
    for (Worker* worker = workers; worker != nullptr; worker = worker->next) {
        if (reinterpret_cast<ThreadHandle>(worker->thread) == handle) return worker;
    }
    return nullptr;
}

DWORD WINAPI WorkerMain(void* parameter) {
    auto* worker = static_cast<Worker*>(parameter);
    currentWorker = worker;
    worker->routine();
    currentWorker = nullptr;
    Release(worker);
    return 0;
}

void MarkStopped(Worker* worker) {
    EnterCriticalSection(&stepGate);
    worker->stopped = 1;
    LeaveCriticalSection(&stepGate);
    SetEvent(worker->stopEvent);
}

// Puts `handle` (0 after a failed start) into the handle variable. The handle
// the variable held before is given up, also when the start failed: it is
// closed at once, or when its thread ends if that is still running.
void StoreHandle(std::atomic<ThreadHandle>* handleVariable, ThreadHandle handle) {
    const ThreadHandle previous = handleVariable->exchange(handle);
    if (previous == 0) return;
    Worker* old;
    {
        RegistryGuard guard;
        old = FindByHandle(previous);
    }
    if (old != nullptr) Release(old);
}

} // namespace

bool StartThread(ThreadRoutine routine, std::atomic<ThreadHandle>* handleVariable) {
    auto* worker = new Worker{routine, CreateEventW(nullptr, TRUE, FALSE, nullptr), 0, 1, nullptr, 0, nullptr};
    if (worker->stopEvent == nullptr) {
        delete worker;
        if (handleVariable != nullptr) StoreHandle(handleVariable, 0);
        return false;
    }
    // One reference for the thread, one for the handle while it is handed out.
    worker->references = 2;
    HANDLE thread;
    {
        RegistryGuard guard;
        thread = CreateThread(nullptr, 0, WorkerMain, worker, 0, &worker->threadId);
        if (thread != nullptr) {
            worker->thread = thread;
            worker->next = workers;
            workers = worker;
        }
    }
    if (thread == nullptr) {
        CloseHandle(worker->stopEvent);
        delete worker;
        if (handleVariable != nullptr) StoreHandle(handleVariable, 0);
        return false;
    }
    if (handleVariable != nullptr) {
        StoreHandle(handleVariable, reinterpret_cast<ThreadHandle>(thread));
    } else {
        Release(worker);
    }
    return true;
}

bool ForceEndThread(ThreadHandle handle) {
    if (handle == 0) return false;
    // Marked while the registry lock is held: the record cannot be released
    // between the look-up and the mark, whoever else gives the handle up.
    RegistryGuard guard;
    Worker* worker = FindByHandle(handle);
    if (worker == nullptr) return false;
    MarkStopped(worker);
    return true;
}

void StopAllWorkers() {
    RegistryGuard guard;
    for (Worker* worker = workers; worker != nullptr; worker = worker->next) MarkStopped(worker);
}

bool ThreadStopRequested() {
    return currentWorker != nullptr && currentWorker->stopped != 0;
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
        // Taken without blocking: the message seen may be gone by now (a paint
        // message validated meanwhile), and a quit is left for the main loop.
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchOneMessage(message);
    }
}

bool PacedWaitOver(uint32_t start, uint32_t now, int32_t milliseconds) {
    if (milliseconds <= 0) return true;
    // Unsigned difference: a wait across the counter's wrap lasts as long as any other.
    return now - start > static_cast<uint32_t>(milliseconds);
}

uint32_t PacedWaitSleep(uint32_t start, uint32_t now, int32_t milliseconds) {
    if (PacedWaitOver(start, now, milliseconds)) return 0;
    return static_cast<uint32_t>(milliseconds) - (now - start) + 1;
}

void PacedDelay(int32_t milliseconds) {
    if (milliseconds <= 0) return;
    const DWORD start = GetTickCount();
    HANDLE stopEvent = currentWorker != nullptr ? currentWorker->stopEvent : nullptr;
    for (;;) {
        PumpPendingMessages();
        PumpPendingMessages();
        const DWORD now = GetTickCount();
        if (PacedWaitOver(start, now, milliseconds)) return;
        PumpPendingMessages();
        PumpPendingMessages();
        if (ThreadStopRequested()) return;
        // Sleep until the counter can next be past the target, waking for this
        // thread's messages and for a stop request. Only messages that came
        // after the pump above wake it: the pump has looked at everything
        // queued before, and what it left there (a WM_QUIT) must not end the
        // sleep again and again.
        const DWORD timeout = PacedWaitSleep(start, now, milliseconds);
        const DWORD woke = MsgWaitForMultipleObjectsEx(stopEvent != nullptr ? 1 : 0, stopEvent != nullptr ? &stopEvent : nullptr,
                                                       timeout, QS_ALLINPUT, 0);
        if (stopEvent != nullptr && woke == WAIT_OBJECT_0) return;
    }
}

bool BeginWorkerStep() {
    if (currentWorker == nullptr) return true;
    EnterCriticalSection(&stepGate);
    if (currentWorker->stopped != 0) {
        LeaveCriticalSection(&stepGate);
        return false;
    }
    return true;
}

void EndWorkerStep() {
    if (currentWorker != nullptr) LeaveCriticalSection(&stepGate);
}

uintptr_t CurrentWorkerToken() { return reinterpret_cast<uintptr_t>(currentWorker); }

bool WorkerTokenStopped(uintptr_t token) {
    return token != 0 && reinterpret_cast<Worker*>(token)->stopped != 0;
}
