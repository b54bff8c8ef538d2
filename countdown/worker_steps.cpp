#include "countdown/worker_steps.h"

#include "app/properties.h"
#include "app/window_description.h"
#include "commands/commands.h"
#include "countdown/run_control.h"
#include "runtime/conversions.h"
#include "runtime/threads.h"

int32_t ReadNumber(uint32_t unit, int32_t property) {
    Text text = ReadText(unit, property);
    const int32_t value = TextToInt(text != nullptr ? static_cast<const char*>(text) : "");
    FreeText(text);
    return value;
}

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
