// The pure parts of starting a command: window modes and where the program is
// taken from.
#include <gtest/gtest.h>

#include "commands/commands.h"

namespace {

TEST(WindowMode, MapsToTheShowValueWithClamping) {
    struct Case {
        int32_t mode;
        int32_t show;
    };
    // SW_HIDE 0, SW_SHOWNORMAL 1, SW_SHOWMINIMIZED 2, SW_SHOWMAXIMIZED 3,
    // SW_SHOWNOACTIVATE 4, SW_MINIMIZE 6.
    const Case cases[] = {
        {-5, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 6}, {7, 6}, {1000, 6},
        {WindowModeOmitted, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ShowValueForWindowMode(c.mode), c.show) << "mode " << c.mode;
}

TEST(SystemProgramPath, TakesBareToolNamesFromTheSystemFolder) {
    struct Case {
        const char* commandLine;
        const char* path; // "" when the command line names its own folder
    };
    const Case cases[] = {
        {"ipconfig /release", "C:\\windows\\system32\\ipconfig.exe"},
        {"ipconfig /renew", "C:\\windows\\system32\\ipconfig.exe"},
        {"shutdown.exe -s -t 0", "C:\\windows\\system32\\shutdown.exe"},
        {"  ipconfig", "C:\\windows\\system32\\ipconfig.exe"},
        {"\"ipconfig\" /all", "C:\\windows\\system32\\ipconfig.exe"},
        {"C:\\tools\\ipconfig.exe /release", ""},
        {".\\ipconfig /release", ""},
        {"D:ipconfig", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemProgramPath(c.commandLine, "C:\\windows\\system32"), c.path)
            << (c.commandLine != nullptr ? c.commandLine : "<null>");
    }
    EXPECT_EQ(SystemProgramPath("ipconfig", "C:\\windows\\system32\\"), "C:\\windows\\system32\\ipconfig.exe");
}

} // namespace
