// The minutes countdown: counts its own ticks, shows how much of N minutes is
// left (N read from the edit box on every tick) and takes the chosen action once
// N minutes' worth of ticks have passed.
#include <cstdint>

#include "app/properties.h"
#include "app/window_description.h"
#include "commands/commands.h"
#include "countdown/countdown_text.h"
#include "countdown/run_control.h"
#include "countdown/worker_steps.h"
#include "runtime/conversions.h"
#include "runtime/threads.h"

namespace {

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
        const int32_t totalSeconds = TruncateToInt32(ReadNumber(编秒数框, PropContent) * 60.0);
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
        if (elapsedMinutes < ReadNumber(编秒数框, PropContent)) continue;
        if (TakeTargetAction()) return;
    }
}
