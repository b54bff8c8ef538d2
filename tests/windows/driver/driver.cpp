#include "tests/windows/driver/driver.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "tests/windows/driver/png.h"

namespace driver {

// ---- text and paths --------------------------------------------------------

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
    return out;
}

std::wstring WindowsPathFromUnix(const std::string& unixPath) {
    std::wstring path = FromUtf8(unixPath);
    if (path.empty() || path[0] != L'/') return path;
    path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length);
    return value;
}

std::wstring TolvaneExePath() { return WindowsPathFromUnix(TOLVANE_EXE_UNIX_PATH); }

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

namespace {

// Runs the messages that other programs may send to this thread (a driver
// that never pumps could hold up broadcasts such as focus changes).
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// ---- the controls ----------------------------------------------------------

const ControlName AllControls[25] = {
    {0x16014867u, L"单选分钟"}, {0x16014866u, L"单选日期"}, {0x16014864u, L"单选关机"},
    {0x16014865u, L"单选断网"}, {0x16014863u, L"分组框4"},  {0x16014861u, L"按钮断开"},
    {0x16014862u, L"按钮连接"}, {0x16014857u, L"标签6"},    {0x16014858u, L"年份框"},
    {0x16014859u, L"标签7"},    {0x1601485Au, L"月份框"},   {0x1601485Bu, L"标签3"},
    {0x1601485Cu, L"日期框"},   {0x1601485Du, L"标签1"},    {0x1601485Eu, L"小时框"},
    {0x1601485Fu, L"标签2"},    {0x16014860u, L"分钟框"},   {0x16014856u, L"分组框3"},
    {0x16014853u, L"编秒数框"}, {0x16014854u, L"标签4"},    {0x16014851u, L"分组框2"},
    {0x16014843u, L"标签5"},    {0x160147D3u, L"分组框1"},  {0x16014768u, L"按钮停止"},
    {0x16010002u, L"按钮开始"},
};

std::wstring ControlNameOf(uint32_t id) {
    for (const ControlName& control : AllControls) {
        if (control.id == id) return control.name;
    }
    wchar_t buffer[16];
    swprintf(buffer, 16, L"0x%08X", static_cast<unsigned>(id));
    return buffer;
}

// ---- the fake tools' log -----------------------------------------------------

namespace {

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) content.append(buffer, read);
    CloseHandle(file);
    return content;
}

std::wstring FieldValue(const std::wstring& field, const wchar_t* key) {
    size_t keyLength = wcslen(key);
    if (field.compare(0, keyLength, key) != 0) return std::wstring();
    return field.substr(keyLength);
}

ToolRun ParseRun(const std::wstring& line) {
    ToolRun run;
    run.line = line;
    // flags, show and exe are tab-terminated; the command line is the rest.
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t tab = line.find(L'\t', start);
        if (tab == std::wstring::npos) return run;
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    run.flags = FieldValue(fields[0], L"flags=");
    run.show = FieldValue(fields[1], L"show=");
    run.exe = FieldValue(fields[2], L"exe=");
    run.commandLine = FieldValue(fields[3], L"cmd=");
    run.wellFormed = fields[0].rfind(L"flags=", 0) == 0 && fields[1].rfind(L"show=", 0) == 0 &&
                     fields[2].rfind(L"exe=", 0) == 0 && fields[3].rfind(L"cmd=", 0) == 0;
    return run;
}

} // namespace

FakeLog::FakeLog() {
    static unsigned counter = 0;
    std::wstring base = WindowsPathFromUnix(ToUtf8(EnvironmentValue(L"TOLVANE_FAKE_LOG")));
    if (base.empty()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        base = std::wstring(temp) + L"tolvane-fake-tools.log";
    }
    wchar_t suffix[48];
    swprintf(suffix, 48, L".%lu.%u", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    path_ = base + suffix;
    DeleteFileW(path_.c_str());
}

void FakeLog::Activate() const { SetEnvironmentVariableW(L"TOLVANE_FAKE_LOG", path_.c_str()); }

std::vector<std::wstring> FakeLog::Lines() const {
    std::wstring content = FromUtf8(ReadWholeFile(path_));
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        size_t end = content.find(L"\r\n", start);
        if (end == std::wstring::npos) break; // a line is only counted once complete
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<ToolRun> FakeLog::Runs() const {
    std::vector<ToolRun> runs;
    for (const std::wstring& line : Lines()) runs.push_back(ParseRun(line));
    return runs;
}

bool FakeLog::WaitForRuns(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return Lines().size() >= count; }, timeoutMs);
}

// ---- reading windows ---------------------------------------------------------

namespace {

constexpr UINT SendTimeoutMs = 5000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

} // namespace

std::wstring ClassNameOf(HWND window) {
    wchar_t buffer[256] = {};
    int length = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring TextOf(HWND window) {
    LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyleOf(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }

RECT ScreenRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect = ScreenRect(window);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            items.push_back(L"<error>");
            continue;
        }
        std::wstring item(static_cast<size_t>(length) + 1, L'\0');
        LRESULT copied = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
        item.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(item);
    }
    return items;
}

int ComboSelection(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0)); }

HWND ComboList(HWND combo) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(combo, &info) && info.hwndList != nullptr) return info.hwndList;
    // Wine answers that only inside the combo box's own process. Its lists are
    // top-level windows placed, even while hidden, right below their combo box.
    DWORD processId = 0;
    GetWindowThreadProcessId(combo, &processId);
    RECT field = ScreenRect(combo);
    HWND best = nullptr;
    LONG bestDistance = 0;
    for (HWND list : TopLevelWindows(processId)) {
        if (ClassNameOf(list) != L"ComboLBox") continue;
        RECT rect = ScreenRect(list);
        if (rect.left != field.left || rect.top < field.top) continue;
        LONG distance = rect.top - field.bottom;
        if (distance < 0) distance = -distance;
        if (best == nullptr || distance < bestDistance) {
            best = list;
            bestDistance = distance;
        }
    }
    return best;
}

bool IsChecked(HWND button) { return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

namespace {

struct TopLevelSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TopLevelSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->windows.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId) {
    TopLevelSearch search{processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    std::vector<HWND> visible;
    for (HWND window : TopLevelWindows(processId)) {
        if (IsWindowVisible(window)) visible.push_back(window);
    }
    return visible;
}

// ---- input -----------------------------------------------------------------

namespace {

bool Inject(std::vector<INPUT>& inputs) {
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

INPUT MouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return input;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return input;
}

// Absolute mouse coordinates: 0..65535 across the primary screen. The value is
// rounded up so that scaling back down lands on the wanted pixel.
LONG Normalised(LONG pixel, int screenExtent) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenExtent - 1) / screenExtent);
}

} // namespace

bool ClickAt(POINT point, int count) {
    if (count < 1) return true;
    // Two single clicks on one spot within the double-click time would make
    // the second a double click, which controls treat differently; wait until
    // the system can no longer pair them.
    static DWORD lastClickTime = 0;
    static POINT lastClickPoint = {-100000, -100000};
    if (std::abs(point.x - lastClickPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(point.y - lastClickPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK)) {
        const DWORD pairTime = GetDoubleClickTime() + 50;
        WaitUntil([&] { return GetTickCount() - lastClickTime > pairTime; }, pairTime + 100);
    }

    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    const LONG dx = Normalised(point.x, width);
    const LONG dy = Normalised(point.y, height);
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    std::vector<INPUT> move = {MouseInput(at, dx, dy)};
    if (!Inject(move)) return false;
    bool arrived = WaitUntil([&] {
        POINT now = {};
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
    }, 2000);
    if (!arrived) return false;
    // Every button event carries the place too: a late pointer motion from the
    // display must not move the click elsewhere.
    std::vector<INPUT> clicks;
    for (int i = 0; i < count; ++i) {
        clicks.push_back(MouseInput(at | MOUSEEVENTF_LEFTDOWN, dx, dy));
        clicks.push_back(MouseInput(at | MOUSEEVENTF_LEFTUP, dx, dy));
    }
    bool sent = Inject(clicks);
    lastClickTime = GetTickCount();
    lastClickPoint = point;
    return sent;
}

bool Click(HWND window, int count) {
    RECT rect = ScreenRect(window);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return ClickAt(centre, count);
}

bool PressKey(WORD virtualKey, unsigned modifiers) {
    static const struct {
        unsigned modifier;
        WORD key;
    } keys[] = {{Shift, VK_SHIFT}, {Control, VK_CONTROL}, {Alt, VK_MENU}};
    std::vector<INPUT> inputs;
    for (const auto& k : keys) {
        if (modifiers & k.modifier) inputs.push_back(KeyInput(k.key, false));
    }
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    for (int i = 2; i >= 0; --i) {
        if (modifiers & keys[i].modifier) inputs.push_back(KeyInput(keys[i].key, true));
    }
    return Inject(inputs);
}

bool TypeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    return Inject(inputs);
}

// ---- screenshots -------------------------------------------------------------

std::wstring SaveScreenshot(HWND window, const std::wstring& name) {
    std::wstring folder = WindowsPathFromUnix(TOLVANE_ARTIFACT_UNIX_DIR);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + name + L".png";

    // Let the window finish painting before the screen is read.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Send(window, WM_NULL, 0, 0);

    RECT rect = ScreenRect(window);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return std::wstring();

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    std::vector<uint8_t> rgb;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
        const uint8_t* bgra = static_cast<const uint8_t*>(bits);
        rgb.resize(static_cast<size_t>(width) * height * 3);
        for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
            rgb[i * 3 + 0] = bgra[i * 4 + 2];
            rgb[i * 3 + 1] = bgra[i * 4 + 1];
            rgb[i * 3 + 2] = bgra[i * 4 + 0];
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok) return std::wstring();

    std::vector<uint8_t> png = EncodePng(rgb, width, height);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    DWORD written = 0;
    ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    CloseHandle(file);
    return ok ? path : std::wstring();
}

// ---- the program under test ----------------------------------------------------

namespace {

// The window titled "-Tolvane-" of class TolvaneMainWindow, or null. The title
// is read with GetWindowText, which sends nothing to the program while it is
// still busy creating its window.
HWND MainWindowOf(DWORD processId) {
    for (HWND window : TopLevelWindows(processId)) {
        if (ClassNameOf(window) != L"TolvaneMainWindow") continue;
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        if (std::wstring(title) == L"-Tolvane-") return window;
    }
    return nullptr;
}

struct ControlSearch {
    uint32_t id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (static_cast<uint32_t>(GetWindowLongPtrW(window, GWLP_ID)) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

App::App(const std::wstring& exePath) {
    log_.Activate();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
        error_ = L"cannot start " + exePath + L", error " + std::to_wstring(GetLastError());
        return;
    }
    processId_ = process_.dwProcessId;

    HWND window = nullptr;
    bool shown = WaitUntil([&] {
        window = MainWindowOf(processId_);
        return window != nullptr && IsWindowVisible(window);
    }, 30000);
    if (!shown) {
        error_ = Running() ? L"no visible window of class TolvaneMainWindow titled -Tolvane-"
                           : L"the program ended without showing its window";
        return;
    }
    cameToForeground_ = WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
    window_ = window;
    if (!cameToForeground_ && !EnsureForeground()) {
        error_ = L"the window cannot be made the foreground window";
        window_ = nullptr;
    }
}

App::~App() {
    if (process_.hProcess != nullptr) {
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

DWORD App::ThreadId() const { return window_ ? GetWindowThreadProcessId(window_, nullptr) : 0; }

HWND ControlIn(HWND window, uint32_t id) {
    if (window == nullptr) return nullptr;
    ControlSearch search{id, nullptr};
    EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND App::Control(uint32_t id) const { return ControlIn(window_, id); }

HWND App::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(ThreadId(), &info)) return nullptr;
    return info.hwndFocus;
}

uint32_t App::FocusedControl() const {
    for (HWND window = Focus(); window != nullptr && window != window_; window = GetParent(window)) {
        uint32_t id = static_cast<uint32_t>(GetWindowLongPtrW(window, GWLP_ID));
        for (const ControlName& control : AllControls) {
            if (control.id == id) return id;
        }
    }
    return 0;
}

bool App::WaitForFocus(uint32_t id, DWORD timeoutMs) const {
    return WaitUntil([&] { return FocusedControl() == id; }, timeoutMs);
}

bool App::EnsureForeground() const {
    if (window_ == nullptr) return false;
    return WaitUntil([&] {
        if (GetForegroundWindow() == window_) return true;
        SetForegroundWindow(window_);
        return false;
    }, 5000);
}

bool App::Running() const {
    return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool App::WaitForExit(DWORD* exitCode, DWORD timeoutMs) const {
    if (process_.hProcess == nullptr) return false;
    if (!WaitUntil([&] { return !Running(); }, timeoutMs)) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool App::HasRunningChildren() const {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return true;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        found = entry.th32ParentProcessID == processId_ && entry.th32ProcessID != processId_;
    }
    CloseHandle(snapshot);
    return found;
}

bool App::WaitForChildrenToEnd(DWORD timeoutMs) const {
    return WaitUntil([&] { return !HasRunningChildren(); }, timeoutMs);
}

} // namespace driver
