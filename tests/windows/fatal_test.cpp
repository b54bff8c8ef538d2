// The fatal path: an error box without owner window, captioned "错误", with the
// message under "运行时出错!", and exit code -1 once the box is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/driver/driver.h"

namespace {

std::wstring ProbePath() { return driver::WindowsPathFromUnix(TOLVANE_FATAL_PROBE_UNIX); }

BOOL CALLBACK CollectTexts(HWND hwnd, LPARAM lParam) {
    if (_wcsicmp(driver::ClassNameOf(hwnd).c_str(), L"Static") == 0) {
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(driver::TextOf(hwnd));
    }
    return TRUE;
}

struct FatalCase {
    const wchar_t* request;
    const wchar_t* message;
};

class FatalPath : public testing::TestWithParam<FatalCase> {};

TEST_P(FatalPath, ShowsTheErrorBoxAndExitsWithMinusOne) {
    const FatalCase& c = GetParam();
    std::wstring commandLine = L"\"" + ProbePath() + L"\" " + c.request;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    // The box: a visible dialog window of the probe. Waiting ends early if
    // the probe ends without one.
    HWND box = nullptr;
    driver::WaitUntil([&] {
        for (HWND window : driver::TopLevelWindows(process.dwProcessId)) {
            if (driver::ClassNameOf(window) == L"#32770" && IsWindowVisible(window)) {
                box = window;
                return true;
            }
        }
        return WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT;
    }, 20000);
    ASSERT_NE(box, nullptr) << "no error box appeared";
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(driver::TextOf(box), L"错误");
    std::vector<std::wstring> texts;
    EnumChildWindows(box, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    const std::wstring expected = std::wstring(L"运行时出错!\r\n\r\n错误信息：") + c.message + L"\r\n";
    bool found = false;
    for (const std::wstring& text : texts) found = found || text == expected;
    EXPECT_TRUE(found) << "the box's text differs";

    // The process waits for the box; it ends only once the box is closed.
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, static_cast<DWORD>(-1));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FatalPath,
    testing::Values(FatalCase{L"unknown-window", L"未载入欲访问窗口组件所在的窗口"},
                    FatalCase{L"no-window-yet", L"未载入欲访问窗口组件所在的窗口"},
                    FatalCase{L"unknown-unit", L"未载入欲访问窗口组件所在的窗口"},
                    FatalCase{L"unknown-description", L"载入启动窗口失败"},
                    FatalCase{L"modulo-by-zero", L"不能求余数于零"},
                    FatalCase{L"divide-by-zero", L"不能整除于零"}));

} // namespace
