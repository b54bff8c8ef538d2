// Starts a command line as a child process, without keeping any link to it.
#include <windows.h>

#include <string>

#include "app/encoding.h"
#include "commands/commands.h"
#include "runtime/threads.h"

namespace {

// The system folder, where the operating system's own tools are.
std::string SystemFolder() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

} // namespace

bool RunCommandLine(const char* commandLine, bool wait, int32_t windowMode) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(ShowValueForWindowMode(windowMode));

    // The tools are taken from the system folder, never from the program's own
    // or the working folder; the command line itself is handed over unchanged.
    const std::string program = SystemProgramPath(commandLine, SystemFolder());
    const std::wstring programWide = WideFromText(program.c_str());
    std::wstring line = WideFromText(commandLine);
    line.push_back(L'\0');

    PROCESS_INFORMATION process = {};
    // A stopped worker starts nothing; once started, Stop waits for the start
    // to finish, so no command of a stopped worker comes after Stop.
    if (!BeginWorkerStep()) return false;
    const BOOL started = CreateProcessW(program.empty() ? nullptr : programWide.c_str(), &line[0], nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &process);
    EndWorkerStep();
    if (!started) return false;

    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
    } else {
        WaitForInputIdle(process.hProcess, 1000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
