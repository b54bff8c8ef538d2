// Simulated worker threads of the native build. Nothing runs concurrently: a
// started worker waits until a test runs it on the test's own thread, its
// PacedDelay moves the simulated clock instead of waiting, and the test acts as
// the user from hooks between (or within) the worker's ticks. Which code runs as
// the worker and which as the window thread is tracked here, so that Stop from a
// hook stops the worker exactly as it would on Windows.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "runtime/threads.h"
#include "tests/host/support/host_support.h"

namespace {

struct SimWorker {
    SimWorkerInfo info;
    int64_t tickBudget;
    int64_t gateDepth;
};

std::vector<std::unique_ptr<SimWorker>> workers;
SimWorker* current = nullptr; // the worker whose code runs now; null for the window thread
ThreadHandle nextHandle = 0x100;
bool failNextStart = false;
std::function<void(int64_t)> betweenTicksHook;
std::function<void()> threadStartHook;
int32_t delayExtra = 0;

// A stopped worker that goes on waiting never leaves: end the test run loudly
// rather than spin.
constexpr int64_t RunawayLimit = 100000;

SimWorker* FindWorker(ThreadHandle handle) {
    for (auto& worker : workers) {
        if (worker->info.handle == handle) return worker.get();
    }
    return nullptr;
}

void NoteStep(SimWorker& worker) {
    if (worker.info.stopped) ++worker.info.stepsAfterStop;
    if (worker.info.endedSelf) ++worker.info.stepsAfterEnd;
    if (worker.info.stepsAfterStop > RunawayLimit) {
        std::fprintf(stderr, "simulated worker %#lx keeps running after it was stopped\n",
                     static_cast<unsigned long>(worker.info.handle));
        std::abort();
    }
}

} // namespace

void SimResetThreads() {
    if (current != nullptr) {
        std::fprintf(stderr, "SimResetThreads while a worker runs\n");
        std::abort();
    }
    workers.clear();
    nextHandle = 0x100;
    failNextStart = false;
    betweenTicksHook = nullptr;
    threadStartHook = nullptr;
    delayExtra = 0;
}

void SimFailNextThreadStart() { failNextStart = true; }

int SimPendingWorkerCount() {
    int pending = 0;
    for (auto& worker : workers) pending += worker->info.ran ? 0 : 1;
    return pending;
}

SimWorkerInfo SimRunNextWorker(int64_t tickBudget) {
    if (current != nullptr) {
        std::fprintf(stderr, "SimRunNextWorker called from inside a worker\n");
        std::abort();
    }
    SimWorker* next = nullptr;
    for (auto& worker : workers) {
        if (!worker->info.ran) {
            next = worker.get();
            break;
        }
    }
    if (next == nullptr) return SimWorkerInfo{};
    next->info.ran = true;
    next->tickBudget = tickBudget;
    current = next;
    next->info.routine();
    current = nullptr;
    next->info.returned = true;
    next->info.gateLeftHeld = next->gateDepth;
    return next->info;
}

std::vector<SimWorkerInfo> SimWorkers() {
    std::vector<SimWorkerInfo> infos;
    for (auto& worker : workers) infos.push_back(worker->info);
    return infos;
}

void SimSetBetweenTicksHook(std::function<void(int64_t)> hook) { betweenTicksHook = std::move(hook); }

void SimSetThreadStartHook(std::function<void()> hook) { threadStartHook = std::move(hook); }

void SimSetDelayExtraMilliseconds(int32_t extra) { delayExtra = extra; }

void SimRunAsUser(const std::function<void()>& action) {
    SimWorker* saved = current;
    current = nullptr;
    action();
    current = saved;
}

int64_t SimCurrentTick() { return current != nullptr ? current->info.ticks : 0; }

void SimNoteWorkerStep() {
    if (current != nullptr) NoteStep(*current);
}

bool StartThread(ThreadRoutine routine, std::atomic<ThreadHandle>* handleVariable) {
    if (threadStartHook) {
        auto hook = threadStartHook;
        hook();
    }
    if (failNextStart) {
        failNextStart = false;
        if (handleVariable != nullptr) handleVariable->store(0);
        return false;
    }
    auto worker = std::make_unique<SimWorker>();
    worker->info = SimWorkerInfo{};
    worker->info.handle = nextHandle;
    worker->info.routine = routine;
    worker->tickBudget = 0;
    worker->gateDepth = 0;
    nextHandle += 4;
    const ThreadHandle handle = worker->info.handle;
    workers.push_back(std::move(worker));
    if (handleVariable != nullptr) handleVariable->store(handle);
    return true;
}

bool ForceEndThread(ThreadHandle handle) {
    if (handle == 0) return false;
    SimWorker* worker = FindWorker(handle);
    if (worker == nullptr) return false;
    if (worker->info.returned) return true; // an ended thread: nothing changes
    worker->info.stopped = true;
    if (worker == current) worker->info.endedSelf = true;
    return true;
}

bool ThreadStopRequested() { return current != nullptr && current->info.stopped; }

void PacedDelay(int32_t milliseconds) {
    if (current != nullptr) NoteStep(*current);
    if (milliseconds <= 0) return;
    if (current == nullptr) {
        SimAdvanceClockMilliseconds(static_cast<int64_t>(milliseconds) + delayExtra);
        return;
    }
    SimWorker& worker = *current;
    if (worker.info.stopped) return; // a stop request ends the wait at once
    if (worker.info.ticks >= worker.tickBudget) {
        // The budget is spent: stop the worker as Stop would, in its wait.
        worker.info.overBudget = true;
        worker.info.stopped = true;
        return;
    }
    SimAdvanceClockMilliseconds(static_cast<int64_t>(milliseconds) + delayExtra);
    ++worker.info.ticks;
    if (betweenTicksHook) {
        const int64_t tick = worker.info.ticks;
        auto hook = betweenTicksHook; // the hook may replace itself
        SimRunAsUser([&] { hook(tick); });
    }
}

void PumpPendingMessages() {}

bool BeginWorkerStep() {
    if (current == nullptr) return true;
    if (current->info.stopped) return false;
    ++current->gateDepth;
    return true;
}

void EndWorkerStep() {
    if (current != nullptr && current->gateDepth > 0) --current->gateDepth;
}

uintptr_t CurrentWorkerToken() { return current != nullptr ? current->info.handle : 0; }

bool WorkerTokenStopped(uintptr_t token) {
    if (token == 0) return false;
    SimWorker* worker = FindWorker(token);
    return worker != nullptr && worker->info.stopped;
}
