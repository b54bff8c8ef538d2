// The window layer: loads windows from their descriptions, runs the message
// loop, and gives control access its live controls.
#pragma once
#include <windows.h>

#include <cstdint>

#include "app/text_heap.h"
#include "app/window_description.h"

// Start-up of the program: prepares the services, loads the main window and
// runs the message loop. Returns 0 when the window has been closed.
int32_t ProgramEntry();

// Records the main thread and reads the window description in.
void InitializeRuntime();
void InitializeProgram();
// Records a routine to run once when the program ends (atexit order).
void RegisterExitRoutine(void (*routine)());
void OnProgramExit();

// Creates the window `windowId` and its controls from its description and shows
// it. Does not return on failure (fatal error).
void LoadWindow(uint32_t windowId);

// Runs the calling thread's message loop until the quit message.
void RunMessageLoop();

// Handles one message as the main loop does: the window's own keys first,
// then translation and dispatch.
void DispatchOneMessage(MSG& message);

// ---- for control access (the window thread only)

// The loaded window with this id, or null.
struct LoadedWindow;
LoadedWindow* FindLoadedWindow(uint32_t windowId);
// True once a window has been loaded, also after it has been destroyed.
bool AnyWindowWasLoaded();
// The handle of the window that carries calls of other threads to the window
// thread; null when none is loaded.
HWND CallCarrierWindow();
// The thread that owns the windows.
DWORD WindowThreadId();

// State of one unit of a loaded window: its live control and the copy of its
// description record that common-property writes keep.
struct UnitState {
    const UnitDescription* description;
    HWND control; // null until created, and after the window is gone
    int32_t left, top, width, height;
    bool visible;
    bool disabled;
    Text tag;
};
UnitState* FindUnitState(LoadedWindow& window, uint32_t unitId);

// Raises `event` of the unit that owns `control`: runs its bound handler, if any.
void RaiseEvent(LoadedWindow& window, const UnitState& unit, int32_t event);

// Private messages of the window layer.
enum : UINT {
    // A property call carried from another thread; lParam points to the call.
    WM_APP_PROPERTY_CALL = WM_APP + 1,
};

// Runs a property call that WM_APP_PROPERTY_CALL carried (properties.cpp).
void RunCarriedPropertyCall(LPARAM call);
