// Stand-in for the system's ipconfig.exe and shutdown.exe in the test prefix.
// It changes nothing on the machine: it appends one line saying how it was
// started to the log named by TOLVANE_FAKE_LOG and exits with code 0.
//
// Line format (UTF-8, CR LF), fields separated by tabs, the command line last
// because it may hold anything:
//   flags=<STARTUPINFO.dwFlags hex>\tshow=<hidden|wShowWindow|default>\texe=<own path>\tcmd=<GetCommandLineW>
// "show" is "hidden" when STARTF_USESHOWWINDOW is set and wShowWindow is
// SW_HIDE, the number of wShowWindow when the flag is set with another value,
// and "default" when the flag is clear.
//
// Each line is a single WriteFile to a file opened with FILE_APPEND_DATA, made
// under a named mutex that every fake shares: Wine's append is a look at the
// end followed by a write, so two fakes appending at once could otherwise
// land on the same place and one line would be lost.
#include <windows.h>

#include <string>

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
    return out;
}

// "/tmp/x/log" -> "Z:\tmp\x\log"; a path that is already a Windows path is kept.
std::wstring WindowsPathOf(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring out = L"Z:" + path;
    for (wchar_t& c : out) {
        if (c == L'/') c = L'\\';
    }
    return out;
}

std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length);
    return value;
}

std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ShowField(const STARTUPINFOW& startup) {
    if ((startup.dwFlags & STARTF_USESHOWWINDOW) == 0) return L"default";
    if (startup.wShowWindow == SW_HIDE) return L"hidden";
    return std::to_wstring(startup.wShowWindow);
}

} // namespace

int wmain() {
    std::wstring logPath = WindowsPathOf(EnvironmentValue(L"TOLVANE_FAKE_LOG"));
    if (logPath.empty()) return 0;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);

    wchar_t flags[16];
    wsprintfW(flags, L"0x%lx", static_cast<unsigned long>(startup.dwFlags));
    std::wstring line = std::wstring(L"flags=") + flags + L"\tshow=" + ShowField(startup) + L"\texe=" +
                        OwnPath() + L"\tcmd=" + GetCommandLineW() + L"\r\n";
    std::string bytes = ToUtf8(line);

    HANDLE lock = CreateMutexW(nullptr, FALSE, L"Local\\TolvaneFakeToolLog");
    if (lock == nullptr) return 1;
    const DWORD waited = WaitForSingleObject(lock, 30000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(lock);
        return 1;
    }
    BOOL ok = FALSE;
    DWORD written = 0;
    HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    ReleaseMutex(lock);
    CloseHandle(lock);
    return ok && written == bytes.size() ? 0 : 1;
}
