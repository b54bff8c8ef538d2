// Fatal path of the native build: the box's text goes to standard error (as
// code page 936 bytes) and the process ends with exit code -1 (255 here).
#include <cstdio>
#include <cstdlib>

#include "app/fatal.h"

void FatalRuntimeError(const char* message) {
    std::fprintf(stderr, "FatalRuntimeError: %s\n", message != nullptr ? message : "");
    std::fflush(stderr);
    std::_Exit(-1);
}
