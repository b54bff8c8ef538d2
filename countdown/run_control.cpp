// Start and Stop: the two button handlers of run control and the globals that
// the window thread shares with the countdown worker.
#include "countdown/run_control.h"

#include "app/properties.h"
#include "app/window_description.h"

std::atomic<int32_t> RunFlag{0};
std::atomic<ThreadHandle> WorkerHandle{0};

namespace {

const char SetUpFirstText[] = "\xC7\xEB\xCF\xC8\xC9\xE8\xD6\xC3"; // 请先设置

// Incomplete choices: Start is enabled again and the label asks for them.
void AskForChoices() {
    WriteInteger(按钮开始, PropDisabled, 0);
    WriteText(标签5, PropCaption, SetUpFirstText);
}

// RunFlag goes to 1 before the thread exists, so the worker's first test of it
// already sees the new run. StartThread stores the new handle in WorkerHandle;
// the worker reads it no earlier than after its first one-second wait.
void StartWorker(ThreadRoutine routine) {
    RunFlag.store(1);
    StartThread(routine, &WorkerHandle);
}

} // namespace

void OnStartClicked() {
    WriteInteger(按钮开始, PropDisabled, 1);

    // A kind of target: the minutes radio is read only when the date radio is not checked.
    if (ReadInteger(单选日期, PropChecked) == 0 && ReadInteger(单选分钟, PropChecked) == 0) {
        AskForChoices();
        return;
    }
    // An action: the release radio is read only when the power-off radio is not checked.
    if (ReadInteger(单选关机, PropChecked) == 0 && ReadInteger(单选断网, PropChecked) == 0) {
        AskForChoices();
        return;
    }

    // Two independent tests, each reading its radio afresh; the radios of a pair
    // exclude each other, so one click starts one worker. Start stays disabled.
    if (ReadInteger(单选日期, PropChecked) == 1) StartWorker(DateCountdown);
    if (ReadInteger(单选分钟, PropChecked) == 1) StartWorker(MinutesCountdown);
}

void OnStopClicked() {
    WriteInteger(按钮开始, PropDisabled, 0);
    // Once this returns, the worker makes no further control access and starts no
    // command; clearing RunFlag afterwards makes it leave at its next test.
    ForceEndThread(WorkerHandle.load());
    RunFlag.store(0);
}
