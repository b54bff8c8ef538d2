// The fake ipconfig.exe and shutdown.exe of the test prefix: what they log is
// what the end-to-end tests judge the program by, so the log must tell the
// command line and the window mode exactly, and two fakes at once must not
// spoil each other's lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/windows/driver/driver.h"

namespace {

using driver::FakeLog;
using driver::ToolRun;

struct Launch {
    std::wstring tool;        // file name in the system folder
    std::wstring commandLine; // as handed to CreateProcess
    bool useShowWindow;
    WORD showWindow;
};

// Starts the tool of the system folder with the command line as given and
// returns the process handle. The program file is named in full: the fakes
// also lie beside this test's own exe, which a bare name would find first.
HANDLE Start(const Launch& launch) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (launch.useShowWindow) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = launch.showWindow;
    }
    std::wstring commandLine = launch.commandLine;
    std::wstring folder = driver::SystemFolder();
    std::wstring program = folder + L"\\" + launch.tool;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool WaitAndClose(HANDLE process) {
    bool ended = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return ended && code == 0;
}

TEST(FakeTools, LogTheirCommandLineAndWindowMode) {
    struct Case {
        Launch launch;
        const wchar_t* flags;
        const wchar_t* show;
    };
    const Case cases[] = {
        {{L"ipconfig.exe", L"ipconfig /release", true, SW_HIDE}, L"0x1", L"hidden"},
        {{L"ipconfig.exe", L"ipconfig /renew", true, SW_SHOWNORMAL}, L"0x1", L"1"},
        {{L"shutdown.exe", L"shutdown.exe -s -t 0", true, SW_HIDE}, L"0x1", L"hidden"},
        {{L"shutdown.exe", L"shutdown.exe -s -t 0", false, 0}, L"0x0", L"default"},
        {{L"ipconfig.exe", L"ipconfig  /all \"\xC4\xE3 \x4E2D\"", true, SW_MINIMIZE}, L"0x1", L"6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(driver::ToUtf8(c.launch.commandLine));
        FakeLog log;
        log.Activate();
        HANDLE process = Start(c.launch);
        ASSERT_NE(process, nullptr) << "cannot start " << driver::ToUtf8(c.launch.tool);
        ASSERT_TRUE(WaitAndClose(process));
        std::vector<ToolRun> runs = log.Runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_TRUE(runs[0].wellFormed) << driver::ToUtf8(runs[0].line);
        EXPECT_EQ(runs[0].flags, c.flags);
        EXPECT_EQ(runs[0].show, c.show);
        EXPECT_EQ(runs[0].commandLine, c.launch.commandLine);
        EXPECT_TRUE(driver::SamePath(runs[0].exe, driver::SystemFolder() + L"\\" + c.launch.tool))
            << driver::ToUtf8(runs[0].exe);
    }
}

TEST(FakeTools, ManyAtOnceLeaveWholeLines) {
    FakeLog log;
    log.Activate();
    constexpr int Count = 12;
    std::vector<HANDLE> processes;
    std::set<std::wstring> expected;
    for (int i = 0; i < Count; ++i) {
        // Long command lines make a torn write likely if appends were not atomic.
        std::wstring tail(300, static_cast<wchar_t>(L'a' + i));
        Launch launch = i % 2 ? Launch{L"ipconfig.exe", L"ipconfig /renew " + tail, true, SW_HIDE}
                              : Launch{L"shutdown.exe", L"shutdown.exe -s -t 0 " + tail, true, SW_HIDE};
        expected.insert(launch.commandLine);
        HANDLE process = Start(launch);
        ASSERT_NE(process, nullptr);
        processes.push_back(process);
    }
    for (HANDLE process : processes) EXPECT_TRUE(WaitAndClose(process));

    std::vector<ToolRun> runs = log.Runs();
    ASSERT_EQ(runs.size(), static_cast<size_t>(Count));
    std::set<std::wstring> seen;
    for (const ToolRun& run : runs) {
        EXPECT_TRUE(run.wellFormed) << driver::ToUtf8(run.line);
        EXPECT_EQ(run.show, L"hidden");
        std::wstring tool = run.commandLine.compare(0, 8, L"ipconfig") == 0 ? L"ipconfig.exe" : L"shutdown.exe";
        EXPECT_TRUE(driver::SamePath(run.exe, driver::SystemFolder() + L"\\" + tool)) << driver::ToUtf8(run.exe);
        seen.insert(run.commandLine);
    }
    EXPECT_EQ(seen, expected);
}

} // namespace
