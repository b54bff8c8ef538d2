// Native stand-ins for the Windows layer: a counting text heap, a fatal path
// that prints and exits, a simulated clock and tick counter, a simulated window
// built from the real window description, simulated worker threads, and a
// recorder of the command lines started.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/properties.h"
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

// ---- simulated window: the controls of the main window held in memory, built
// from MainWindowDescription, behind ReadProperty and WriteProperty. Calls from
// a stopped worker, and every worker call once the window is closed, are refused:
// reads give 0 or null and writes change nothing.

// One ReadProperty or WriteProperty call.
struct SimPropertyAccess {
    bool write;
    uint32_t unit;
    int32_t property;
    uintptr_t worker;   // CurrentWorkerToken() of the caller; 0 for the window thread
    int64_t tick;       // the caller's tick (its PacedDelay calls so far); 0 on the window thread
    bool refused;       // a stopped worker's call, or a worker's call after the window closed
    bool isText;        // the value is a Text (then `text` holds its bytes)
    std::string text;   // a Text read or written (code page 936 bytes)
    PropertyValue value; // an integer or truth value read or written
};

// A write of the caption of 标签5 that took effect.
struct SimLabelWrite {
    int64_t tick;
    uintptr_t worker;
    std::string text;
};

// Controls back to their start state, the window open, logs and hooks cleared.
void SimResetWindow();
// The property calls so far (kept while logging is on; it is on after a reset).
const std::vector<SimPropertyAccess>& SimPropertyLog();
void SimSetPropertyLogging(bool on);
const std::vector<SimLabelWrite>& SimLabelHistory();
// Runs `hook` before each property call of a worker, as the user on the window
// thread (it may type, switch a radio or click Stop; a call that the hook makes
// stopped is then refused).
void SimSetPropertyAccessHook(std::function<void(const SimPropertyAccess&)> hook);
// Calls the simulation cannot answer (unknown unit, a property the unit's kind
// does not have, a window thread call after the window closed); each is a fault.
int64_t SimInvalidAccessCount();
const std::vector<std::string>& SimInvalidAccesses();

// What the user does and sees. SimClick acts as a mouse click: on a disabled
// control nothing happens (false); a radio button is checked and the other radio
// buttons of its parent unchecked; then the bound clicked handler, if any, runs
// as the window's message loop would run it.
bool SimClick(uint32_t unit);
// Replaces the text of an edit box or a combo box's field, as typing does.
void SimType(uint32_t unit, const std::string& text);
std::string SimText(uint32_t unit); // caption or content now
bool SimChecked(uint32_t unit);
bool SimDisabled(uint32_t unit);
// The window goes away: from now on every worker call is refused.
void SimCloseWindow();

// ---- simulated threads. StartThread records the routine and hands out a fresh
// handle without running it; SimRunNextWorker runs it on the calling thread.
// PacedDelay advances the simulated clock and tick counter, then runs the
// between-ticks hook as the user.

struct SimWorkerInfo {
    ThreadHandle handle;
    ThreadRoutine routine;
    bool ran;            // SimRunNextWorker has run it
    bool returned;       // its routine returned
    bool stopped;        // ForceEndThread named it (by Stop, by itself, or the tick budget)
    bool endedSelf;      // it named its own handle
    bool overBudget;     // stopped by the simulation after its tick budget
    int64_t ticks;       // PacedDelay calls
    int64_t stepsAfterStop; // waits, property calls and command starts after it was stopped
    int64_t stepsAfterEnd;  // the same after it ended itself: must stay 0
    int64_t gateLeftHeld;   // BeginWorkerStep without EndWorkerStep at its return: must stay 0
};

void SimResetThreads();
// Makes the next StartThread fail (it stores 0 and returns false).
void SimFailNextThreadStart();
int SimPendingWorkerCount();
// Runs the oldest worker not yet run until its routine returns. After
// `tickBudget` ticks the simulation stops it as Stop would. ran is false when
// no worker was pending.
SimWorkerInfo SimRunNextWorker(int64_t tickBudget = 1000000);
std::vector<SimWorkerInfo> SimWorkers();
// `hook`(tick) runs after each wait of a worker, before the work of that tick;
// tick counts the worker's waits from 1.
void SimSetBetweenTicksHook(std::function<void(int64_t tick)> hook);
// Each PacedDelay(ms) advances the clock by ms plus this (0 after a reset).
void SimSetDelayExtraMilliseconds(int32_t extra);
// Runs `hook` inside every StartThread, before it returns, as the caller.
void SimSetThreadStartHook(std::function<void()> hook);
// Runs `action` as the window thread would, whatever runs at the moment.
void SimRunAsUser(const std::function<void()>& action);
// The running worker's ticks so far; 0 on the window thread.
int64_t SimCurrentTick();
// Notes an outward step of the calling worker (property call, command start).
void SimNoteWorkerStep();

// ---- simulated command starter.
struct SimCommandRecord {
    std::string commandLine;
    bool wait;
    int32_t windowMode;
    uintptr_t worker; // 0 for the window thread
    int64_t tick;
};
void SimResetCommands();
const std::vector<SimCommandRecord>& SimCommands();
// Runs `hook`(command line) as the user at the start of every RunCommandLine
// call of a worker, before the call decides whether to start it.
void SimSetCommandHook(std::function<void(const std::string& commandLine)> hook);
// RunCommandLine calls refused because the calling worker was stopped.
int64_t SimRefusedCommandCount();
