// Process start: hands over to the program's own start routine.
#include <windows.h>

#include "app/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return static_cast<int>(ProgramEntry());
}
