// Automation driver for the end-to-end tests: starts tolvane.exe, finds its
// window and controls, reads them, sends real mouse and keyboard input, reads
// the log of the fake system tools and saves screenshots of the window.
//
// Everything here waits by polling a condition with a time limit; nothing
// sleeps a fixed time and hopes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace driver {

constexpr DWORD DefaultTimeoutMs = 10000;

// ---- text and paths --------------------------------------------------------

std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);
// "/a/b" -> "Z:\a\b" (Wine maps the Unix root to drive Z:).
std::wstring WindowsPathFromUnix(const std::string& unixPath);
std::wstring EnvironmentValue(const wchar_t* name);
// tolvane.exe of the build (TOLVANE_EXE_UNIX_PATH) as a Windows path.
std::wstring TolvaneExePath();
// The system folder, e.g. "C:\windows\system32".
std::wstring SystemFolder();
// Whether two Windows paths name the same file (case-insensitive).
bool SamePath(const std::wstring& a, const std::wstring& b);

// Milliseconds on the performance counter, for measuring lengths of time.
double NowMs();

// Polls `condition` (every 10 ms, messages of this thread pumped) until it
// holds or `timeoutMs` has passed; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = DefaultTimeoutMs);

// ---- the controls of the window --------------------------------------------

struct ControlName {
    uint32_t id;
    const wchar_t* name;
};
// The 25 controls, in the order of the window description.
extern const ControlName AllControls[25];
// The name of a control id ("单选分钟"), or the id in hex for an unknown one.
std::wstring ControlNameOf(uint32_t id);

// ---- the fake system tools' log --------------------------------------------

// One start of a fake tool, as its log line tells.
struct ToolRun {
    bool wellFormed = false; // all fields present
    std::wstring flags;      // STARTUPINFO.dwFlags, "0x1"
    std::wstring show;       // "hidden", "default" or the wShowWindow number
    std::wstring exe;        // the fake's own path
    std::wstring commandLine;
    std::wstring line;       // the whole line, for messages
};

// A log file of its own for one test: a fresh name beside TOLVANE_FAKE_LOG (or
// in the temporary folder), so that tools started by an earlier test cannot
// write into it.
class FakeLog {
public:
    FakeLog();
    const std::wstring& Path() const { return path_; }
    // Makes this the log of every program this process starts from now on.
    void Activate() const;
    std::vector<std::wstring> Lines() const;
    std::vector<ToolRun> Runs() const;
    // Waits until the log holds at least `count` lines.
    bool WaitForRuns(size_t count, DWORD timeoutMs = DefaultTimeoutMs) const;

private:
    std::wstring path_;
};

// ---- reading windows ---------------------------------------------------------

std::wstring ClassNameOf(HWND window);
// WM_GETTEXT, as UTF-16.
std::wstring TextOf(HWND window);
LONG StyleOf(HWND window);
LONG ExStyleOf(HWND window);
// Outer rectangle relative to the client area of `reference`.
RECT RectIn(HWND window, HWND reference);
RECT ScreenRect(HWND window);
// The control with window id `id` among the descendants of `window`, or null.
HWND ControlIn(HWND window, uint32_t id);
// A combo box's list, item by item.
std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelection(HWND combo);
// The list window of a drop-down combo box.
HWND ComboList(HWND combo);
// BM_GETCHECK == BST_CHECKED.
bool IsChecked(HWND button);
// The top-level windows of a process, in z-order, hidden ones too.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The visible top-level windows of a process.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);

// ---- input (SendInput) -----------------------------------------------------

// Moves the mouse to the screen point and clicks the left button there
// `count` times in quick succession (count 2 is a double click). A click on
// the spot of the previous one waits first until the two cannot make a double
// click.
bool ClickAt(POINT screenPoint, int count = 1);
// Clicks the centre of the window's outer rectangle.
bool Click(HWND window, int count = 1);
enum Modifier : unsigned { NoModifier = 0, Shift = 1, Control = 2, Alt = 4 };
// Presses and releases a virtual key, with the modifiers held down around it.
bool PressKey(WORD virtualKey, unsigned modifiers = NoModifier);
// Types the text as Unicode key strokes.
bool TypeText(const std::wstring& text);

// ---- screenshots -------------------------------------------------------------

// Saves the screen area of the window as a PNG file `name`.png in the
// artefact folder (TOLVANE_ARTIFACT_UNIX_DIR); returns the path or "".
std::wstring SaveScreenshot(HWND window, const std::wstring& name);

// ---- the program under test ----------------------------------------------------

// One run of tolvane.exe with a fake log of its own. The process is ended, if
// still running, when the object goes.
class App {
public:
    explicit App(const std::wstring& exePath = TolvaneExePath());
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Whether the program started and showed its window; Error() says why not.
    bool Started() const { return window_ != nullptr; }
    const std::wstring& Error() const { return error_; }
    // Whether the window became the foreground window without help.
    bool CameToForeground() const { return cameToForeground_; }

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const;
    const FakeLog& Log() const { return log_; }

    // The control with this window id anywhere below the window, or null.
    HWND Control(uint32_t id) const;
    // The window with the keyboard focus in the program's GUI thread.
    HWND Focus() const;
    // The id of the control that holds the focus (a combo box for its edit
    // field), or 0 when the focus is on none of the 25 controls.
    uint32_t FocusedControl() const;
    // Waits until the focus is on `id`.
    bool WaitForFocus(uint32_t id, DWORD timeoutMs = DefaultTimeoutMs) const;
    // Makes the window foreground again if something took that away.
    bool EnsureForeground() const;

    bool Running() const;
    // Waits for the process to end; stores its exit code.
    bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = DefaultTimeoutMs) const;
    // Whether a process started by the program is still running.
    bool HasRunningChildren() const;
    // Waits until no process started by the program runs any more.
    bool WaitForChildrenToEnd(DWORD timeoutMs = DefaultTimeoutMs) const;

private:
    FakeLog log_;
    PROCESS_INFORMATION process_ = {};
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    bool cameToForeground_ = false;
    std::wstring error_;
};

} // namespace driver
