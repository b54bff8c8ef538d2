// Start and Stop, over and over, at random instants, on the real program under
// Wine: a minutes countdown of N = 0 with the power-off action, so that every
// tick starts "shutdown.exe -s -t 0" and a Stop can land before the first
// tick, in the middle of one, or between two. After each Stop has returned,
// no command may be started and the label may not be written; over all the
// cycles the program's handles and memory may not grow.
//
// When Stop has returned: the click is only queued input, but the handler
// enables 按钮开始 first and does the rest in the same message, so once the
// button is enabled a message sent to the window is answered only after the
// handler has returned (WindowThreadIdle).
//
// Which commands were started before that moment: the program runs in a job
// whose completion port reports every process created in it, so the count
// taken right after Stop has returned is the number of commands of that run.
// Once the log holds that many lines, the test appends a marker line; any
// line after the marker before the next Start is a command started after Stop.
//
// A click that shows no effect at all is made once more after the program's
// input state has been printed (NoteLostClick); the figures at the end say how
// many were.
//
// 300 cycles, most of them stopped around the first tick, take five to seven
// minutes under Wine (a cycle costs its run plus some 300 ms of clicks and
// bookkeeping). TOLVANE_STRESS_CYCLES overrides the number of cycles.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/windows/countdown_support.h"
#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;
using namespace countdown_support;

constexpr int DefaultCycles = 300;
constexpr int WarmUpCycles = 5;
// How long a countdown runs before Stop, in ms: a band is drawn by its weight,
// then a length within it. Most Stops land around the first tick (the paced
// second, then the tick's label write and command start), some before it, some
// around the second tick.
struct RunBand {
    DWORD shortest, longest;
    double weight;
};
const RunBand RunBands[] = {{0, 900, 35}, {900, 1250, 50}, {1250, 2300, 15}};
// Idle time after the bookkeeping of a Stop, before the next Start.
constexpr DWORD LongestGap = 150;

int Cycles() {
    std::wstring value = EnvironmentValue(L"TOLVANE_STRESS_CYCLES");
    int cycles = value.empty() ? DefaultCycles : _wtoi(value.c_str());
    return cycles > WarmUpCycles ? cycles : WarmUpCycles + 1;
}

void Pause(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

bool SetLabelText(HWND label, const std::wstring& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                               &result) != 0;
}

// The program's input state and where `button` is, for a message when a click
// on it has not taken effect.
std::string InputState(const App& app, uint32_t buttonId) {
    HWND button = app.Control(buttonId);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const bool haveInfo = GetGUIThreadInfo(app.ThreadId(), &info) != FALSE;
    POINT cursor = {};
    GetCursorPos(&cursor);
    const RECT rect = ScreenRect(button);
    auto name = [&](HWND window) -> std::string {
        if (window == nullptr) return "none";
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        return "'" + Utf8(ClassNameOf(window)) + "' \"" + Utf8(TextOf(window)) + "\"" +
               (processId == app.ProcessId() ? "" : " of process " + std::to_string(processId));
    };
    std::string state = "cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) + " (" + NameOf(buttonId) + " " +
                        std::to_string(rect.left) + "," + std::to_string(rect.top) + " to " +
                        std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "), under it " +
                        name(WindowFromPoint(cursor)) + ", foreground " + name(GetForegroundWindow());
    if (haveInfo) {
        state += ", active " + name(info.hwndActive) + ", focus " + name(info.hwndFocus) + ", capture " +
                 name(info.hwndCapture) + ", flags " + std::to_string(info.flags);
    }
    DWORD_PTR buttonState = 0;
    if (SendMessageTimeoutW(button, BM_GETSTATE, 0, 0, SMTO_NORMAL, 2000, &buttonState)) {
        state += ", button state " + std::to_string(buttonState) + ", enabled " +
                 std::to_string(IsWindowEnabled(button) != FALSE);
    } else {
        state += ", the window thread does not answer";
    }
    return state;
}

// A click that shows no effect within the helpers' wait never reached its
// handler: the handlers of Start and Stop change 按钮开始 before anything else.
// Once in some thousands of cycles under Wine, an injected click is lost so.
// The cycle then says what the program's input state was and clicks again, as
// a person would; a window thread that does not answer, or a second click
// without effect, fails the test.
void NoteLostClick(const App& app, int cycle, uint32_t buttonId, int* repeatedClicks) {
    ++*repeatedClicks;
    std::printf("cycle %d: a click on %s without effect, clicking again; %s\n", cycle, NameOf(buttonId).c_str(),
                InputState(app, buttonId).c_str());
    std::fflush(stdout);
    ASSERT_TRUE(WindowThreadIdle(app.Window())) << "the window thread does not answer";
}

class StartStopStress : public AppTest {};

TEST_F(StartStopStress, NoCommandNoLabelWriteAfterStopAndNoGrowth) {
    const int cycles = Cycles();
    const unsigned seed = GetTickCount();
    std::printf("cycles %d, warm-up %d, random seed %u\n", cycles, WarmUpCycles, seed);
    std::mt19937 random(seed);
    std::discrete_distribution<int> runBand({RunBands[0].weight, RunBands[1].weight, RunBands[2].weight});
    int runsInBand[3] = {};
    std::uniform_int_distribution<DWORD> gapLength(0, LongestGap);

    ChildProcessWatch children(app().ProcessId());
    ASSERT_TRUE(children.Ready()) << "cannot watch the program's child processes";
    ASSERT_TRUE(ChooseRadio(app(), 单选分钟));
    ASSERT_TRUE(ChooseRadio(app(), 单选关机));
    ASSERT_TRUE(TypeInto(app(), 编秒数框, L"0"));
    HWND label = Get(标签5);

    Footprint before;
    size_t createdAtStop = 0;   // commands started up to the last Stop
    size_t markers = 0;         // marker lines in the log
    std::wstring labelMarker;   // what the label was set to after the last Stop
    int runsWithCommands = 0;
    int repeatedClicks = 0;     // clicks lost by the system and made again
    size_t mostCommandsInARun = 0;
    const DWORD began = GetTickCount();

    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        if (cycle == WarmUpCycles) {
            ASSERT_TRUE(ReadFootprint(app().ProcessId(), &before));
        }
        DWORD startedAt = 0; // just before the click: the handler cannot run earlier
        if (!ClickStartOfCountdown(app(), &startedAt)) {
            // startedAt stays the moment before the first click: if that click
            // was only late, its handler ran after it.
            ASSERT_NO_FATAL_FAILURE(NoteLostClick(app(), cycle, 按钮开始, &repeatedClicks));
            ASSERT_TRUE(ClickStartOfCountdown(app()))
                << "按钮开始 did not become disabled: " << InputState(app(), 按钮开始);
        }
        const int band = runBand(random);
        ++runsInBand[band];
        Pause(std::uniform_int_distribution<DWORD>(RunBands[band].shortest, RunBands[band].longest)(random));
        if (!ClickStopOfCountdown(app())) {
            ASSERT_NO_FATAL_FAILURE(NoteLostClick(app(), cycle, 按钮停止, &repeatedClicks));
            ASSERT_TRUE(ClickStopOfCountdown(app()))
                << "按钮开始 not enabled again after Stop: " << InputState(app(), 按钮停止);
        }
        const DWORD stoppedAt = GetTickCount();
        // Stop has returned: from here on the label keeps our marker text.
        labelMarker = L"stopped " + std::to_wstring(cycle);
        ASSERT_TRUE(SetLabelText(label, labelMarker));
        const size_t created = children.Created();

        // At most one command per tick, and no tick within the first second.
        const size_t commands = created - createdAtStop;
        const DWORD ran = stoppedAt - startedAt;
        EXPECT_LE(commands, static_cast<size_t>(ran / 1000))
            << commands << " commands in a run of " << ran << " ms";
        if (commands > 0) ++runsWithCommands;
        if (commands > mostCommandsInARun) mostCommandsInARun = commands;
        createdAtStop = created;

        // Every command of the run has logged; then the marker.
        ASSERT_TRUE(app().Log().WaitForRuns(createdAtStop + markers, 10000))
            << createdAtStop << " commands started, " << app().Log().Lines().size() - markers << " logged";
        ASSERT_TRUE(AppendToLog(app().Log(), L"-- stop " + std::to_wstring(cycle)));
        ++markers;

        Pause(gapLength(random));
        if (cycle + 1 == cycles) Pause(2500); // after the last Stop, time for a tick or two

        // Before the next Start: nothing has happened since Stop returned.
        EXPECT_EQ(children.Created(), createdAtStop) << "a process was started after Stop";
        std::vector<std::wstring> lines = app().Log().Lines();
        ASSERT_FALSE(lines.empty());
        ASSERT_EQ(Utf8(lines.back()), "-- stop " + std::to_string(cycle)) << "a command logged after Stop";
        ASSERT_EQ(Utf8(TextOf(label)), Utf8(labelMarker)) << "the label was written after Stop";
    }
    const DWORD elapsed = GetTickCount() - began;

    // Every line that is not a marker is a hidden power-off command.
    size_t commandLines = 0;
    for (const ToolRun& run : app().Log().Runs()) {
        if (run.line.rfind(L"-- stop ", 0) == 0) continue;
        ++commandLines;
        EXPECT_TRUE(IsRun(run, L"shutdown.exe -s -t 0")) << Utf8(run.line);
        EXPECT_EQ(Utf8(run.show), "hidden");
    }
    EXPECT_EQ(commandLines, createdAtStop);

    // Workers leave at their next safe point after Stop; let the last one go.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount(app().ProcessId()) <= before.threads; }, 5000))
        << "threads: " << ThreadCount(app().ProcessId()) << ", before: " << before.threads;
    Footprint after;
    ASSERT_TRUE(ReadFootprint(app().ProcessId(), &after));
    std::printf("%d cycles in %.1f s: %lu commands, %d runs with a command, at most %lu in one run\n", cycles,
                elapsed / 1000.0, static_cast<unsigned long>(createdAtStop), runsWithCommands,
                static_cast<unsigned long>(mostCommandsInARun));
    std::printf("clicks made again after the system lost them: %d\n", repeatedClicks);
    for (int band = 0; band < 3; ++band) {
        std::printf("  %d runs stopped after %lu to %lu ms\n", runsInBand[band],
                    static_cast<unsigned long>(RunBands[band].shortest), static_cast<unsigned long>(RunBands[band].longest));
    }
    std::printf("after cycle %d: %s\n", WarmUpCycles, Describe(before).c_str());
    std::printf("after cycle %d: %s\n", cycles, Describe(after).c_str());
    std::fflush(stdout);

    // Wine answers GetProcessHandleCount and PrivateUsage of another process
    // with 0; where they give figures (Windows), they may not grow either.
    EXPECT_LE(after.handleCount, before.handleCount + 4);
    EXPECT_LE(after.privateUsage, before.privateUsage + 256 * 1024);
    EXPECT_LE(after.systemHandles, before.systemHandles + 4);
    EXPECT_LE(after.committedPrivate, before.committedPrivate + 256 * 1024);
}

} // namespace
