// Runs one request that can only end in the fatal path, named by the first
// argument; the fatal test watches the error box it shows and the exit code.
#include <windows.h>

#include <cwchar>

#include "app/properties.h"
#include "app/window.h"
#include "runtime/conversions.h"

int wmain(int argc, wchar_t** argv) {
    const wchar_t* request = argc > 1 ? argv[1] : L"";
    if (std::wcscmp(request, L"unknown-window") == 0) {
        InitializeRuntime();
        LoadWindow(MainWindowId);
        ReadProperty(0x52019999u, WindowUnitId, PropWidth, -1);
    } else if (std::wcscmp(request, L"no-window-yet") == 0) {
        InitializeRuntime();
        WriteProperty(MainWindowId, WindowUnitId, PropWidth, -1, 233, 0);
    } else if (std::wcscmp(request, L"unknown-unit") == 0) {
        InitializeRuntime();
        LoadWindow(MainWindowId);
        ReadProperty(MainWindowId, 0x16019999u, PropCaption, -1);
    } else if (std::wcscmp(request, L"unknown-description") == 0) {
        InitializeRuntime();
        LoadWindow(0x52019999u);
    } else if (std::wcscmp(request, L"modulo-by-zero") == 0) {
        RealModulo(5.0, 0.0);
    } else if (std::wcscmp(request, L"divide-by-zero") == 0) {
        RealIntegerDivide(5.0, 0.0);
    } else {
        return 2;
    }
    return 3; // the fatal path did not end the process
}
