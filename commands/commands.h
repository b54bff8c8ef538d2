// The operating system's own tools, started as hidden child processes.
#pragma once
#include <cstdint>
#include <string>

extern const char ReleaseCommand[];  // "ipconfig /release"
extern const char RenewCommand[];    // "ipconfig /renew"
extern const char PowerOffCommand[]; // "shutdown.exe -s -t 0"

// Window mode that stands for "not given"; it shows the new program normally.
constexpr int32_t WindowModeOmitted = INT32_MIN;
constexpr int32_t WindowModeHidden = 1;

// Starts `commandLine` as a child process and returns true when it was created.
// With `wait` it returns only after the child has ended; otherwise it waits at
// most a second for the child to become idle. A worker that has been stopped
// starts nothing and gets false.
bool RunCommandLine(const char* commandLine, bool wait = false, int32_t windowMode = WindowModeOmitted);

// The show value (SW_*) for a window mode: 1..6 after clamping, 2 when omitted.
int32_t ShowValueForWindowMode(int32_t windowMode);

// Starts "ipconfig /release" hidden.
void ReleaseNetwork();

// Handlers of the two manual network buttons.
void OnDisconnectClicked();
void OnConnectClicked();

// The full path in `systemFolder` of the program that the first word of
// `commandLine` names, with ".exe" added when the word has no extension; empty
// when the word names a folder or a drive of its own (then it is used as given).
std::string SystemProgramPath(const char* commandLine, const std::string& systemFolder);
