// The minutes countdown: counts its own ticks, shows how much of N minutes is
// left (N read from the edit box on every tick) and takes the chosen action once
// N minutes' worth of ticks have passed.
#include <cstdint>

#include "app/properties.h"
#include "app/window_description.h"
#include "commands/commands.h"
#include "countdown/countdown_text.h"
#include "countdown/run_control.h"
#include "runtime/conversions.h"
#include "runtime/threads.h"

namespace {

// The number in the edit box now; a box without text counts as "".
int32_t ReadMinutes() {
    Text text = ReadText(编秒数框, PropContent);
    const int32_t value = TextToInt(text != nullptr ? static_cast<const char*>(text) : "");
    FreeText(text);
    return value;
}

// The action at the target, decided by the radios as they stand now. Returns
// true when the worker has released the network and ended itself; it must then
// leave at once.
bool TakeTargetAction() {
    if (ReadInteger(单选断网, PropChecked) == 1) {
        ReleaseNetwork();
        // RunFlag and WorkerHandle belong to this run only while Stop has not
        // struck: once it has, Stop has cleared RunFlag itself and a new Start may
        // already have set it again for another worker.
        if (!BeginWorkerStep()) return true;
        RunFlag.store(0);
        const ThreadHandle self = WorkerHandle.load();
        EndWorkerStep();
        ForceEndThread(self);
        return true;
    }
    if (ReadInteger(单选关机, PropChecked) == 1) {
        RunCommandLine(PowerOffCommand, false, WindowModeHidden);
    }
    return false;
}

int32_t NextTickCount(int32_t count) {
    // +1 with the wrap of a 32-bit register, well defined.
    return static_cast<int32_t>(static_cast<uint32_t>(count) + 1u);
}

} // namespace

void MinutesCountdown() {
    int32_t tickCount = 0;
    for (;;) {
        if (RunFlag.load() != 1 || ThreadStopRequested()) return;

        PacedDelay(1000);
        if (ThreadStopRequested()) continue; // stopped while waiting: leave at the top

        tickCount = NextTickCount(tickCount);
        const int32_t elapsedMinutes = TruncateToInt32(tickCount / 60.0);

        // Display: what is left of N minutes. Whole 365-day periods are dropped.
        const int32_t totalSeconds = TruncateToInt32(ReadMinutes() * 60.0);
        int32_t remaining = TruncateToInt32(static_cast<double>(totalSeconds) - static_cast<double>(tickCount));
        remaining = TruncateToInt32(RealModulo(remaining, 31536000.0));
        const int32_t days = TruncateToInt32(RealIntegerDivide(remaining, 86400.0));
        remaining = TruncateToInt32(RealModulo(remaining, 86400.0));
        const int32_t hours = TruncateToInt32(RealIntegerDivide(remaining, 3600.0));
        remaining = TruncateToInt32(RealModulo(remaining, 3600.0));
        const int32_t minutes = TruncateToInt32(RealIntegerDivide(remaining, 60.0));
        const int32_t seconds = TruncateToInt32(RealModulo(remaining, 60.0));

        Text label = RemainingTimeText(days, hours, minutes, seconds);
        WriteText(标签5, PropCaption, label);
        FreeText(label);

        // Target test, on a fresh read of N.
        if (elapsedMinutes < ReadMinutes()) continue;
        if (TakeTargetAction()) return;
    }
}
