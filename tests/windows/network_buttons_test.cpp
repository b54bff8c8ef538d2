// The two manual network buttons: every click starts one hidden ipconfig from
// the system folder (the fake of the test prefix logs it), clicks in quick
// succession are neither merged nor dropped, and an ipconfig.exe planted
// beside tolvane.exe is never the one started.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;

const wchar_t ReleaseLine[] = L"ipconfig /release";
const wchar_t RenewLine[] = L"ipconfig /renew";

std::wstring SystemIpconfig() { return SystemFolder() + L"\\ipconfig.exe"; }

class NetworkButtons : public AppTest {
protected:
    // Waits until every tool the program started has ended, then checks that
    // the log holds exactly `expected` command lines, in any order, each run
    // from the system folder with a hidden window.
    void ExpectRuns(std::vector<std::wstring> expected) {
        EXPECT_TRUE(app().Log().WaitForRuns(expected.size(), 20000))
            << "only " << app().Log().Lines().size() << " of " << expected.size() << " commands ran";
        EXPECT_TRUE(app().WaitForChildrenToEnd(20000));
        std::vector<ToolRun> runs = app().Log().Runs();
        std::vector<std::wstring> seen;
        for (const ToolRun& run : runs) {
            SCOPED_TRACE(Utf8(run.line));
            EXPECT_TRUE(run.wellFormed);
            EXPECT_EQ(run.show, L"hidden") << "the tool's window must be hidden";
            EXPECT_EQ(run.flags, L"0x1") << "STARTF_USESHOWWINDOW alone";
            EXPECT_TRUE(SamePath(run.exe, SystemIpconfig())) << "started " << Utf8(run.exe);
            seen.push_back(run.commandLine);
        }
        std::sort(seen.begin(), seen.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(seen, expected);
    }
};

TEST_F(NetworkButtons, EachClickStartsItsCommandOnce) {
    struct Case {
        uint32_t button;
        const wchar_t* commandLine;
    };
    const Case cases[] = {{按钮断开, ReleaseLine}, {按钮连接, RenewLine}};
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.button));
        if (c.button != cases[0].button) Launch();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(Click(Get(c.button)));
        ExpectRuns({c.commandLine});
        // The click changed nothing in the window.
        EXPECT_TRUE(IsWindowEnabled(Get(按钮开始)));
        EXPECT_EQ(TextOf(Get(标签5)), L"                   ");
    }
}

TEST_F(NetworkButtons, ClicksInQuickSuccessionAreNotMerged) {
    // Four quick clicks on one button (double clicks among them, as a hasty
    // user makes them), then the other button and the first again.
    ASSERT_TRUE(Click(Get(按钮断开), 4));
    ASSERT_TRUE(Click(Get(按钮连接), 2));
    ASSERT_TRUE(Click(Get(按钮断开)));
    ExpectRuns({ReleaseLine, ReleaseLine, ReleaseLine, ReleaseLine, RenewLine, RenewLine, ReleaseLine});
}

// tolvane.exe copied into a folder of its own with an ipconfig.exe beside it:
// the tool must still come from the system folder. The planted copy is the
// same fake, so a run of it would show in the log under its own path.
TEST_F(NetworkButtons, AToolPlantedBesideTheProgramIsNotStarted) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring folder = std::wstring(temp) + L"tolvane-planted-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring exe = folder + L"\\tolvane.exe";
    std::wstring planted = folder + L"\\ipconfig.exe";
    ASSERT_TRUE(CopyFileW(TolvaneExePath().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(SystemIpconfig().c_str(), planted.c_str(), FALSE));

    Launch(exe);
    if (!HasFatalFailure()) {
        ASSERT_TRUE(Click(Get(按钮断开)));
        ASSERT_TRUE(Click(Get(按钮连接)));
        ExpectRuns({ReleaseLine, RenewLine}); // each from the system folder, not `planted`
        SaveScreenshot(Window(), CurrentTestName());
        app_.reset(); // end the copy before its folder goes
    }
    DeleteFileW(exe.c_str());
    DeleteFileW(planted.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
