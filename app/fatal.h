// The program's one fatal path.
#pragma once

// Shows the error box ("运行时出错!" with the message) on the calling thread and
// ends the process with exit code -1 once it is closed.
[[noreturn]] void FatalRuntimeError(const char* message);
