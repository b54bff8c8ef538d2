// The simulated command starter of the native build: records every command line
// that would have been started, and refuses, as on Windows, the calls of a worker
// that has been stopped.
#include <string>
#include <vector>

#include "commands/commands.h"
#include "runtime/threads.h"
#include "tests/host/support/host_support.h"

namespace {
std::vector<SimCommandRecord> commands;
int64_t refused = 0;
std::function<void(const std::string&)> commandHook;
bool inCommandHook = false;
} // namespace

void SimResetCommands() {
    commands.clear();
    refused = 0;
    commandHook = nullptr;
}

void SimSetCommandHook(std::function<void(const std::string&)> hook) { commandHook = std::move(hook); }

const std::vector<SimCommandRecord>& SimCommands() { return commands; }

int64_t SimRefusedCommandCount() { return refused; }

bool RunCommandLine(const char* commandLine, bool wait, int32_t windowMode) {
    if (CurrentWorkerToken() != 0 && commandHook && !inCommandHook) {
        inCommandHook = true;
        auto hook = commandHook;
        const std::string line = commandLine != nullptr ? commandLine : "";
        SimRunAsUser([&] { hook(line); });
        inCommandHook = false;
    }
    SimNoteWorkerStep();
    if (!BeginWorkerStep()) {
        ++refused;
        return false;
    }
    commands.push_back(SimCommandRecord{commandLine != nullptr ? commandLine : "", wait, windowMode,
                                        CurrentWorkerToken(), SimCurrentTick()});
    EndWorkerStep();
    return true;
}
