// The window layer: creates the window and its controls from the window
// description, routes their events to the bound handlers, and gives the window
// its own keyboard behaviour.
#include "app/window.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/encoding.h"
#include "app/fatal.h"
#include "app/properties.h"
#include "runtime/threads.h"

struct LoadedWindow {
    const WindowDescription* description = nullptr;
    HWND hwnd = nullptr;
    std::vector<UnitState> units; // in description order; units[0] is the window
    bool eventsLive = false;      // the size event is raised once loading has got that far
};

namespace {

constexpr wchar_t LabelClassName[] = L"TolvaneLabel";
constexpr COLORREF RedText = RGB(255, 0, 0);
constexpr int ComboCreateHeight = 160;

LoadedWindow mainWindow;
bool windowWasLoaded = false;
DWORD windowThreadId = 0;
WNDPROC groupBoxBaseProc = nullptr;
std::vector<void (*)()> exitRoutines;

HFONT DefaultFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

UnitState* UnitOfControl(HWND control) {
    if (control == nullptr) return nullptr;
    for (UnitState& unit : mainWindow.units) {
        if (unit.control == control) return &unit;
    }
    return nullptr;
}

// ---- the self-drawn label: its caption in one line, centred, on the
// button-face colour; the caption stays its window text.

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, 0, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return GetWindowLongPtrW(hwnd, 0);
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        return result;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        const int length = GetWindowTextLengthW(hwnd);
        std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(hwnd, &caption[0], length + 1);
        caption.resize(static_cast<size_t>(length));
        auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, 0));
        HGDIOBJ oldFont = SelectObject(dc, font != nullptr ? font : DefaultFont());
        const UnitState* unit = UnitOfControl(hwnd);
        const bool red = unit != nullptr && (unit->description->look & LookRedText) != 0;
        SetTextColor(dc, red ? RedText : GetSysColor(COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, caption.c_str(), length, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// Group boxes are the parents of their controls: what the controls tell their
// parent goes on to the window.
LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        // A group box paints only its frame; as a parent it owns its inside too.
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
        return CallWindowProcW(groupBoxBaseProc, hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        // A click on a button or a radio button raises its clicked event.
        if (HIWORD(wParam) == BN_CLICKED) {
            UnitState* unit = UnitOfControl(reinterpret_cast<HWND>(lParam));
            if (unit != nullptr) RaiseEvent(mainWindow, *unit, EventClicked);
        }
        return 0;
    }
    case WM_SIZE:
        if (mainWindow.eventsLive && hwnd == mainWindow.hwnd) {
            RaiseEvent(mainWindow, mainWindow.units[0], EventSizeChanged);
        }
        return 0;
    case WM_APP_PROPERTY_CALL:
        RunCarriedPropertyCall(lParam);
        return 0;
    case WM_HELP:
        return TRUE; // no help file
    case WM_DESTROY:
        if (hwnd == mainWindow.hwnd) {
            // A countdown still running ends with the process: from here on it
            // reaches no control and starts no command.
            StopAllWorkers();
            mainWindow.eventsLive = false;
            for (UnitState& unit : mainWindow.units) unit.control = nullptr;
            mainWindow.hwnd = nullptr;
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterClasses(const WindowDescription& description) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    const std::wstring className = WideFromText(description.className);
    windowClass.lpszClassName = className.c_str();
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    WNDCLASSEXW labelClass = {};
    labelClass.cbSize = sizeof labelClass;
    labelClass.lpfnWndProc = LabelProc;
    labelClass.cbWndExtra = sizeof(LONG_PTR);
    labelClass.hInstance = instance;
    labelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    labelClass.lpszClassName = LabelClassName;
    if (RegisterClassExW(&labelClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    return true;
}

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(const UnitDescription& unit) {
    DWORD exStyle = 0;
    DWORD style = 0;
    if (unit.look & LookSunkenFrame) exStyle |= WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
    if (unit.look & LookThinBorder) style |= WS_BORDER;
    switch (unit.kind) {
    case UnitKind::GroupBox:
        return {L"BUTTON", style | BS_GROUPBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                               ((unit.look & LookCentredCaption) ? BS_CENTER : 0), exStyle};
    case UnitKind::Label:
        return {LabelClassName, style, exStyle};
    case UnitKind::Button:
        return {L"BUTTON", style | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, exStyle};
    case UnitKind::RadioButton:
        return {L"BUTTON", style | BS_AUTORADIOBUTTON | BS_LEFT | BS_VCENTER | BS_MULTILINE, exStyle};
    case UnitKind::ComboBox:
        return {L"COMBOBOX", style | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, exStyle};
    case UnitKind::EditBox:
        return {L"EDIT", style | ES_CENTER | ES_AUTOHSCROLL, exStyle | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME};
    case UnitKind::Window:
        break;
    }
    return {L"STATIC", style, exStyle};
}

void FillComboBox(HWND combo, const UnitDescription& unit) {
    for (int32_t value = unit.list.first; value <= unit.list.last; ++value) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(value).c_str()));
    }
    if (unit.list.trailingEmptyItem) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    // List lines one pixel taller than the font's line, set on the list itself
    // (not every window system takes it through the combo box).
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info) && info.hwndList != nullptr) {
        const LRESULT itemHeight = SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0);
        if (itemHeight > 0) SendMessageW(info.hwndList, LB_SETITEMHEIGHT, 0, itemHeight + 1);
    }
    // The position first, then the text at start, whatever item the position names.
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(unit.list.position), 0);
    SetWindowTextW(combo, WideFromText(unit.text).c_str());
}

// Creates the control of `index` after its parent group box.
bool CreateControl(LoadedWindow& window, size_t index) {
    UnitState& unit = window.units[index];
    if (unit.control != nullptr) return true;
    const UnitDescription& d = *unit.description;
    HWND parent = window.hwnd;
    if (d.parent != 0) {
        UnitState* parentUnit = FindUnitState(window, d.parent);
        if (parentUnit == nullptr) return false;
        if (!CreateControl(window, static_cast<size_t>(parentUnit - window.units.data()))) return false;
        parent = parentUnit->control;
    }
    const ControlClass controlClass = ClassOf(d);
    DWORD style = WS_CHILD | controlClass.style | WS_CLIPSIBLINGS;
    if (d.tabStop) style |= WS_TABSTOP;
    if (d.disabled) style |= WS_DISABLED;
    const int height = d.kind == UnitKind::ComboBox ? ComboCreateHeight : d.height;
    const std::wstring caption = d.kind == UnitKind::ComboBox ? std::wstring() : WideFromText(d.text);
    unit.control = CreateWindowExW(controlClass.exStyle, controlClass.className, caption.c_str(), style, d.left, d.top,
                                   d.width, height, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(d.id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (unit.control == nullptr) return false;
    SendMessageW(unit.control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    switch (d.kind) {
    case UnitKind::GroupBox: {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(unit.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupBoxProc)));
        if (groupBoxBaseProc == nullptr) groupBoxBaseProc = previous;
        break;
    }
    case UnitKind::ComboBox:
        FillComboBox(unit.control, d);
        break;
    case UnitKind::EditBox:
        SendMessageW(unit.control, EM_SETSEL, 0, 0);
        break;
    default:
        break;
    }
    return true;
}

// Controls with a tab stop in Tab order: by tab order, and among equal tab
// orders from the last unit of the description to the first.
std::vector<const UnitState*> TabSequence(const LoadedWindow& window) {
    std::vector<const UnitState*> sequence;
    for (auto it = window.units.rbegin(); it != window.units.rend(); ++it) {
        if (it->description->tabStop && it->control != nullptr) sequence.push_back(&*it);
    }
    std::stable_sort(sequence.begin(), sequence.end(), [](const UnitState* a, const UnitState* b) {
        return a->description->tabOrder < b->description->tabOrder;
    });
    return sequence;
}

bool CanTakeFocus(const UnitState& unit) {
    return IsWindowVisible(unit.control) && IsWindowEnabled(unit.control);
}

// The unit whose control is `hwnd` or contains it (the edit field of a combo box).
UnitState* UnitContaining(HWND hwnd) {
    for (HWND h = hwnd; h != nullptr && h != mainWindow.hwnd; h = GetParent(h)) {
        if (UnitState* unit = UnitOfControl(h)) return unit;
    }
    return nullptr;
}

void MoveFocusByTab(bool forward) {
    const std::vector<const UnitState*> sequence = TabSequence(mainWindow);
    if (sequence.empty()) return;
    const UnitState* current = UnitContaining(GetFocus());
    const int count = static_cast<int>(sequence.size());
    int position = -1;
    for (int i = 0; i < count; ++i) {
        if (sequence[static_cast<size_t>(i)] == current) position = i;
    }
    for (int step = 1; step <= count; ++step) {
        int next;
        if (position < 0) {
            next = forward ? step - 1 : count - step;
        } else {
            next = ((position + (forward ? step : -step)) % count + count) % count;
        }
        const UnitState* candidate = sequence[static_cast<size_t>(next)];
        if (CanTakeFocus(*candidate)) {
            SetFocus(candidate->control);
            return;
        }
    }
}

// Arrow keys on a radio button move focus and check mark to the previous or
// next radio button of the same parent, in Tab order, wrapping around.
void MoveRadioSelection(UnitState& radio, bool forward) {
    std::vector<UnitState*> group;
    for (const UnitState* unit : TabSequence(mainWindow)) {
        if (unit->description->kind == UnitKind::RadioButton && unit->description->parent == radio.description->parent) {
            group.push_back(const_cast<UnitState*>(unit));
        }
    }
    const auto at = std::find(group.begin(), group.end(), &radio);
    if (group.size() < 2 || at == group.end()) return;
    const int count = static_cast<int>(group.size());
    const int position = static_cast<int>(at - group.begin());
    for (int step = 1; step < count; ++step) {
        UnitState* next = group[static_cast<size_t>(((position + (forward ? step : -step)) % count + count) % count)];
        if (!CanTakeFocus(*next)) continue;
        SetFocus(next->control);
        for (UnitState* other : group) {
            SendMessageW(other->control, BM_SETCHECK, other == next ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        RaiseEvent(mainWindow, *next, EventClicked);
        return;
    }
}

// The window's own keys, handled before the focused control sees them.
bool HandleWindowKey(const MSG& message) {
    // With no control focused (Start disables itself while it has the focus)
    // plain keys reach the window as system keys, without the Alt flag.
    const bool plainKey = message.message == WM_KEYDOWN ||
                          (message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29)) == 0);
    if (!plainKey || mainWindow.hwnd == nullptr) return false;
    if (message.hwnd != mainWindow.hwnd && !IsChild(mainWindow.hwnd, message.hwnd)) return false;
    switch (message.wParam) {
    case VK_ESCAPE:
        PostMessageW(mainWindow.hwnd, WM_CLOSE, 0, 0);
        return true;
    case VK_TAB:
        MoveFocusByTab((GetKeyState(VK_SHIFT) & 0x8000) == 0);
        return true;
    case VK_RETURN:
    case VK_F1:
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        UnitState* unit = UnitOfControl(message.hwnd);
        if (unit == nullptr || unit->description->kind != UnitKind::RadioButton) return false;
        MoveRadioSelection(*unit, message.wParam == VK_RIGHT || message.wParam == VK_DOWN);
        return true;
    }
    default:
        return false;
    }
}

} // namespace

UnitState* FindUnitState(LoadedWindow& window, uint32_t unitId) {
    for (UnitState& unit : window.units) {
        if (unit.description->id == unitId) return &unit;
    }
    return nullptr;
}

LoadedWindow* FindLoadedWindow(uint32_t windowId) {
    if (mainWindow.hwnd == nullptr || mainWindow.description == nullptr) return nullptr;
    return mainWindow.description->id == windowId ? &mainWindow : nullptr;
}

bool AnyWindowWasLoaded() { return windowWasLoaded; }

HWND CallCarrierWindow() { return mainWindow.hwnd; }

DWORD WindowThreadId() { return windowThreadId; }

void RaiseEvent(LoadedWindow& window, const UnitState& unit, int32_t event) {
    if (window.hwnd == nullptr) return;
    if (EventHandler handler = FindEventHandler(*unit.description, event)) handler();
}

void InitializeRuntime() {
    // Relative paths are taken from the program's own folder.
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        for (DWORD i = length; i > 0; --i) {
            if (path[i - 1] == L'\\' || path[i - 1] == L'/') {
                path[i - 1] = L'\0';
                SetCurrentDirectoryW(path);
                break;
            }
        }
    }
    windowThreadId = GetCurrentThreadId();
    if (FindWindowDescription(MainWindowId) == nullptr) {
        FatalRuntimeError("\xD4\xD8\xC8\xEB\xB4\xB0\xBF\xDA\xC4\xA3\xB0\xE5\xCA\xFD\xBE\xDD\xB6\xCE\xB3\xF6\xB4\xED!"); // 载入窗口模板数据段出错!
    }
}

void InitializeProgram() {}

void OnProgramExit() {}

void RegisterExitRoutine(void (*routine)()) {
    if (std::find(exitRoutines.begin(), exitRoutines.end(), routine) != exitRoutines.end()) return;
    exitRoutines.push_back(routine);
    std::atexit(routine);
}

void LoadWindow(uint32_t windowId) {
    const char* failure = "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC"; // 载入启动窗口失败
    const WindowDescription* description = FindWindowDescription(windowId);
    if (description == nullptr || description->unitCount < 1 || !RegisterClasses(*description)) {
        FatalRuntimeError(failure);
    }
    LoadedWindow& window = mainWindow;
    window = LoadedWindow();
    window.description = description;
    for (int32_t i = 0; i < description->unitCount; ++i) {
        const UnitDescription& d = description->units[i];
        window.units.push_back(UnitState{&d, nullptr, d.left, d.top, d.width, d.height, d.visible, d.disabled, nullptr});
    }
    windowThreadId = GetCurrentThreadId();

    // The window, hidden, centred on the primary screen.
    const UnitDescription& self = description->units[0];
    const int left = (GetSystemMetrics(SM_CXSCREEN) - self.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - self.height) / 2;
    window.hwnd = CreateWindowExW(WS_EX_TOPMOST, WideFromText(description->className).c_str(),
                                  WideFromText(self.text).c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top,
                                  self.width, self.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window.hwnd == nullptr) FatalRuntimeError(failure);
    window.units[0].control = window.hwnd;
    windowWasLoaded = true;
    RECT outer;
    GetWindowRect(window.hwnd, &outer);
    if (outer.right - outer.left != self.width || outer.bottom - outer.top != self.height) {
        SetWindowPos(window.hwnd, nullptr, 0, 0, self.width, self.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(window.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    SetWindowPos(window.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The controls, in description order, each inside its parent.
    for (size_t i = 1; i < window.units.size(); ++i) {
        if (!CreateControl(window, i)) FatalRuntimeError(failure);
    }
    // Within a parent, description order runs from top to bottom.
    for (size_t i = 1; i < window.units.size(); ++i) {
        SetWindowPos(window.units[i].control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (size_t i = 1; i < window.units.size(); ++i) {
        ShowWindow(window.units[i].control, window.units[i].visible ? SW_SHOWNA : SW_HIDE);
    }
    // Created, moved and size changed; only size changed has a handler.
    window.eventsLive = true;
    RaiseEvent(window, window.units[0], EventCreated);
    RaiseEvent(window, window.units[0], EventMoved);
    RaiseEvent(window, window.units[0], EventSizeChanged);
    if (window.hwnd == nullptr) FatalRuntimeError(failure);

    ShowWindow(window.hwnd, SW_SHOWNORMAL);
    UpdateWindow(window.hwnd);
    SetForegroundWindow(window.hwnd);
    // The focus starts on the first control of the Tab order.
    for (const UnitState* unit : TabSequence(window)) {
        if (CanTakeFocus(*unit)) {
            SetFocus(unit->control);
            break;
        }
    }
}

void DispatchOneMessage(MSG& message) {
    if (HandleWindowKey(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void RunMessageLoop() {
    if (mainWindow.hwnd == nullptr) return;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchOneMessage(message);
    }
}

int32_t ProgramEntry() {
    InitializeRuntime();
    InitializeProgram();
    RegisterExitRoutine(OnProgramExit);
    LoadWindow(MainWindowId);
    RunMessageLoop();
    return 0;
}
