// Helpers of the countdown end-to-end tests and the countdown benchmark, on
// top of the automation driver: setting the choices and texts as a user does,
// knowing when a click's handler has returned, reading the status label,
// watching the processes that the program starts, and reading the program's
// resource use from outside.
//
// Header-only and free of GoogleTest, so that the benchmark can use it too.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/window_description.h"
#include "tests/windows/driver/driver.h"

namespace countdown_support {

// ---- knowing that a handler has returned ------------------------------------

// A click is only queued input. Once its handler has started (something it
// does first has become visible), a message sent to the window is handled
// only when the window thread asks for messages again, that is after the
// handler has returned: the handlers of Start and Stop never pump messages.
inline bool WindowThreadIdle(HWND window, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// ---- choices and texts --------------------------------------------------------

// Clicks a radio button and waits for its check mark.
inline bool ChooseRadio(const driver::App& app, uint32_t id) {
    HWND radio = app.Control(id);
    if (radio == nullptr || !driver::Click(radio)) return false;
    return driver::WaitUntil([&] { return driver::IsChecked(radio); }, 5000);
}

// Replaces the text of an edit box or of a combo box's field by typing: a
// click into the field, Home, Shift+End, then the text as key strokes (Delete
// for an empty text). Waits until the control shows exactly `text`.
inline bool TypeInto(const driver::App& app, uint32_t id, const std::wstring& text) {
    HWND control = app.Control(id);
    if (control == nullptr) return false;
    if (!app.EnsureForeground() || !driver::Click(control) || !app.WaitForFocus(id, 5000)) return false;
    if (!driver::PressKey(VK_HOME) || !driver::PressKey(VK_END, driver::Shift)) return false;
    if (!(text.empty() ? driver::PressKey(VK_DELETE) : driver::TypeText(text))) return false;
    return driver::WaitUntil([&] { return driver::TextOf(control) == text; }, 5000);
}

inline bool StartEnabled(const driver::App& app) { return IsWindowEnabled(app.Control(按钮开始)) != FALSE; }

// Clicks 按钮开始 when a countdown is to start: returns once the handler has
// disabled the button and returned. `clickedAt` receives GetTickCount from
// just before the click, a moment that the handler cannot precede.
inline bool ClickStartOfCountdown(const driver::App& app, DWORD* clickedAt = nullptr) {
    HWND start = app.Control(按钮开始);
    if (clickedAt != nullptr) *clickedAt = GetTickCount();
    if (start == nullptr || !driver::Click(start)) return false;
    if (!driver::WaitUntil([&] { return !IsWindowEnabled(start); }, 5000)) return false;
    return WindowThreadIdle(app.Window());
}

// Clicks 按钮停止 during a countdown: returns once the handler has enabled
// 按钮开始 (its first step) and returned.
inline bool ClickStopOfCountdown(const driver::App& app) {
    HWND start = app.Control(按钮开始);
    HWND stop = app.Control(按钮停止);
    if (start == nullptr || stop == nullptr || !driver::Click(stop)) return false;
    if (!driver::WaitUntil([&] { return IsWindowEnabled(start) != FALSE; }, 5000)) return false;
    return WindowThreadIdle(app.Window());
}

// ---- the status label ---------------------------------------------------------

struct Remaining {
    long long days = 0, hours = 0, minutes = 0, seconds = 0;
    long long Total() const { return ((days * 24 + hours) * 60 + minutes) * 60 + seconds; }
};

// Reads "剩余时间:<d>天<h>时<m>分<s>秒", each number decimal with an optional
// "-"; false for any other text.
inline bool ParseRemaining(const std::wstring& text, Remaining* out) {
    const std::wstring prefix = L"剩余时间:";
    if (text.compare(0, prefix.size(), prefix) != 0) return false;
    const wchar_t units[4] = {L'天', L'时', L'分', L'秒'};
    long long parts[4] = {};
    size_t at = prefix.size();
    for (int i = 0; i < 4; ++i) {
        bool negative = false;
        if (at < text.size() && text[at] == L'-') {
            negative = true;
            ++at;
        }
        size_t digits = 0;
        long long value = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 12) {
            value = value * 10 + (text[at] - L'0');
            ++at;
            ++digits;
        }
        if (digits == 0 || at >= text.size() || text[at] != units[i]) return false;
        ++at;
        parts[i] = negative ? -value : value;
    }
    if (at != text.size()) return false;
    out->days = parts[0];
    out->hours = parts[1];
    out->minutes = parts[2];
    out->seconds = parts[3];
    return true;
}

// Waits until the label's text differs from `previous`; returns the new text
// and when it was seen (GetTickCount), or false on timeout.
inline bool WaitForLabelChange(HWND label, const std::wstring& previous, std::wstring* text, DWORD* seenAt,
                               DWORD timeoutMs) {
    std::wstring now;
    bool changed = driver::WaitUntil([&] {
        now = driver::TextOf(label);
        return now != previous;
    }, timeoutMs);
    if (!changed) return false;
    *text = now;
    if (seenAt) *seenAt = GetTickCount();
    return true;
}

// ---- the fake tools' log ------------------------------------------------------

// Appends a line of the test's own (a marker) to the log, the way the fakes
// append theirs: one write at the end of the file.
inline bool AppendToLog(const driver::FakeLog& log, const std::wstring& line) {
    HANDLE file = CreateFileW(log.Path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes = driver::ToUtf8(line + L"\r\n");
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The full command line logged for a fake tool: "ipconfig /release", etc.
inline bool IsRun(const driver::ToolRun& run, const wchar_t* commandLine) {
    return run.wellFormed && run.commandLine == commandLine;
}

// ---- processes that the program starts ----------------------------------------

// Puts the program into a job whose completion port reports every process
// created in it (the program's children inherit the job). Unlike a process
// list, which misses a child that has already ended, the port misses none.
class ChildProcessWatch {
public:
    explicit ChildProcessWatch(DWORD programId) : programId_(programId) {
        job_ = CreateJobObjectW(nullptr, nullptr);
        port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
        if (job_ == nullptr || port_ == nullptr) return;
        JOBOBJECT_ASSOCIATE_COMPLETION_PORT association = {};
        association.CompletionKey = job_;
        association.CompletionPort = port_;
        if (!SetInformationJobObject(job_, JobObjectAssociateCompletionPortInformation, &association,
                                     sizeof(association))) {
            return;
        }
        HANDLE program = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, programId);
        if (program == nullptr) return;
        ready_ = AssignProcessToJobObject(job_, program) != FALSE;
        CloseHandle(program);
    }
    ~ChildProcessWatch() {
        if (port_ != nullptr) CloseHandle(port_);
        if (job_ != nullptr) CloseHandle(job_);
    }
    ChildProcessWatch(const ChildProcessWatch&) = delete;
    ChildProcessWatch& operator=(const ChildProcessWatch&) = delete;

    bool Ready() const { return ready_; }

    // Takes in what the port has reported so far; returns the number of
    // processes created in the job other than the program itself, since the
    // watch began.
    size_t Created() {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = nullptr;
        while (port_ != nullptr && GetQueuedCompletionStatus(port_, &message, &key, &data, 0)) {
            const DWORD processId = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
            if (message == JOB_OBJECT_MSG_NEW_PROCESS && processId != programId_) created_.push_back(processId);
        }
        return created_.size();
    }
    const std::vector<DWORD>& CreatedIds() const { return created_; }

private:
    DWORD programId_;
    HANDLE job_ = nullptr;
    HANDLE port_ = nullptr;
    bool ready_ = false;
    std::vector<DWORD> created_;
};

// ---- the program's resource use, read from outside ------------------------------

// Handles that the system's handle table lists for the process. Wine answers
// GetProcessHandleCount with 0 for every process; this table it fills.
inline long SystemHandleCount(DWORD processId) {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    struct Entry { // SYSTEM_HANDLE_TABLE_ENTRY_INFO
        ULONG ownerProcessId;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    constexpr ULONG SystemHandleInformation = 16;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        LONG status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == InfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return -1;
        const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
        long owned = 0;
        for (ULONG i = 0; i < count; ++i) {
            if (entries[i].ownerProcessId == processId) ++owned;
        }
        return owned;
    }
    return -1;
}

// Committed private memory of the process, region by region (heaps, stacks,
// private allocations). Wine reports PrivateUsage as 0; this it can tell.
inline SIZE_T CommittedPrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const unsigned char* address = nullptr;
    while (VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const unsigned char* next = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

struct Footprint {
    DWORD handleCount = 0;      // GetProcessHandleCount
    SIZE_T privateUsage = 0;    // GetProcessMemoryInfo, PrivateUsage
    SIZE_T workingSet = 0;      // WorkingSetSize
    SIZE_T peakWorkingSet = 0;  // PeakWorkingSetSize
    long systemHandles = -1;    // SystemHandleCount
    SIZE_T committedPrivate = 0; // CommittedPrivateBytes
    size_t threads = 0;
};

inline size_t ThreadCount(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// The process opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
inline bool ReadFootprint(DWORD processId, Footprint* out) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) return false;
    Footprint footprint;
    GetProcessHandleCount(process, &footprint.handleCount);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    bool ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)) != 0;
    footprint.privateUsage = counters.PrivateUsage;
    footprint.workingSet = counters.WorkingSetSize;
    footprint.peakWorkingSet = counters.PeakWorkingSetSize;
    footprint.committedPrivate = CommittedPrivateBytes(process);
    CloseHandle(process);
    footprint.systemHandles = SystemHandleCount(processId);
    footprint.threads = ThreadCount(processId);
    *out = footprint;
    return ok;
}

inline std::string Describe(const Footprint& f) {
    char text[320];
    std::snprintf(text, sizeof(text),
                  "GetProcessHandleCount %lu, PrivateUsage %lu B, handle table %ld, committed private %lu B, "
                  "working set %lu B, threads %lu",
                  static_cast<unsigned long>(f.handleCount), static_cast<unsigned long>(f.privateUsage), f.systemHandles,
                  static_cast<unsigned long>(f.committedPrivate), static_cast<unsigned long>(f.workingSet),
                  static_cast<unsigned long>(f.threads));
    return text;
}

// Processor time of a process as the sum of its threads' times. Wine fills
// GetProcessTimes of another process with nothing like the real figure, while
// its GetThreadTimes reads the system's own accounting of each thread. Each
// thread's last reading is kept, so that a thread that ends between two
// readings still counts with what it had used by the earlier one.
class ThreadTimeTotal {
public:
    explicit ThreadTimeTotal(DWORD processId) : processId_(processId) {}

    // Reads every thread of the process again; returns the total in seconds.
    double Read() {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot != INVALID_HANDLE_VALUE) {
            THREADENTRY32 entry = {};
            entry.dwSize = sizeof(entry);
            for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
                if (entry.th32OwnerProcessID != processId_) continue;
                HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
                if (thread == nullptr) continue;
                FILETIME created, ended, kernel, user;
                if (GetThreadTimes(thread, &created, &ended, &kernel, &user)) {
                    // Keyed by id and creation time: ids are reused.
                    const auto key = std::make_pair(entry.th32ThreadID, Ticks(created));
                    seconds_[key] = (Ticks(kernel) + Ticks(user)) / 1e7;
                }
                CloseHandle(thread);
            }
            CloseHandle(snapshot);
        }
        double total = 0;
        for (const auto& thread : seconds_) total += thread.second;
        return total;
    }

    static unsigned long long Ticks(const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    }

private:
    DWORD processId_;
    std::map<std::pair<DWORD, unsigned long long>, double> seconds_;
};

// GetProcessTimes, kernel plus user, in seconds; -1 when it fails.
inline double ProcessTimesSeconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    return (ThreadTimeTotal::Ticks(kernel) + ThreadTimeTotal::Ticks(user)) / 1e7;
}

// ---- clock ----------------------------------------------------------------------

// Local time `seconds` from now (SYSTEMTIME arithmetic on the file-time scale,
// so that day, month and year turns come out right).
inline SYSTEMTIME LocalTimePlus(const SYSTEMTIME& base, long long seconds) {
    FILETIME file;
    SystemTimeToFileTime(&base, &file);
    unsigned long long ticks = ThreadTimeTotal::Ticks(file) + static_cast<unsigned long long>(seconds * 10000000LL);
    file.dwLowDateTime = static_cast<DWORD>(ticks);
    file.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME out;
    FileTimeToSystemTime(&file, &out);
    return out;
}

// Seconds from `a` to `b`, both local SYSTEMTIMEs (milliseconds dropped).
inline long long SecondsBetween(SYSTEMTIME a, SYSTEMTIME b) {
    a.wMilliseconds = 0;
    b.wMilliseconds = 0;
    FILETIME fa, fb;
    SystemTimeToFileTime(&a, &fa);
    SystemTimeToFileTime(&b, &fb);
    return (static_cast<long long>(ThreadTimeTotal::Ticks(fb)) - static_cast<long long>(ThreadTimeTotal::Ticks(fa))) /
           10000000LL;
}

// "2026" -> "２０２６": ASCII digits to their full-width forms.
inline std::wstring FullWidthDigits(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) {
        if (c >= L'0' && c <= L'9') c = static_cast<wchar_t>(0xFF10 + (c - L'0'));
    }
    return out;
}

} // namespace countdown_support
