// The minutes countdown end to end: the real tolvane.exe under Wine, driven by
// mouse clicks and key strokes, judged by its status label and by what the
// fake ipconfig.exe and shutdown.exe log.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/countdown_support.h"
#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;
using namespace countdown_support;

const wchar_t ReleaseLine[] = L"ipconfig /release";
const wchar_t PowerOffLine[] = L"shutdown.exe -s -t 0";

std::wstring RemainingSeconds(long long seconds) {
    return L"剩余时间:0天0时0分" + std::to_wstring(seconds) + L"秒";
}

// Lets time pass while this thread keeps answering messages; for checks that
// something does NOT happen within a while.
void Pause(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

class MinutesCountdown : public AppTest {
protected:
    // Checks 单选分钟 and `action`, types `minutes` into 编秒数框 and clicks
    // 按钮开始; returns once the Start handler has returned. startedAt_ is a
    // moment just before the click, so no tick can come within a second of it.
    void StartCountdown(const std::wstring& minutes, uint32_t action) {
        ASSERT_TRUE(ChooseRadio(app(), 单选分钟));
        ASSERT_TRUE(ChooseRadio(app(), action)) << NameOf(action);
        ASSERT_TRUE(TypeInto(app(), 编秒数框, minutes)) << "typing " << Utf8(minutes);
        ASSERT_TRUE(ClickStartOfCountdown(app(), &startedAt_)) << "按钮开始 did not become disabled";
    }

    HWND Label() { return Get(标签5); }

    DWORD startedAt_ = 0;
};

TEST_F(MinutesCountdown, ZeroMinutesWithReleaseReleasesOnceAtTheFirstTick) {
    StartCountdown(L"0", 单选断网);
    ASSERT_TRUE(app().Log().WaitForRuns(1, 5000)) << "no command within 5 s of Start";
    const DWORD after = GetTickCount() - startedAt_;
    // One paced second, then the tick's work and the fake's start under Wine.
    EXPECT_GE(after, 1000u);
    EXPECT_LE(after, 2500u);
    const std::wstring shown = TextOf(Label());
    EXPECT_EQ(Utf8(shown), Utf8(RemainingSeconds(-1)));

    // The worker has ended itself: no second command, the label stays, and
    // 按钮开始 stays disabled until Stop.
    Pause(3000);
    std::vector<ToolRun> runs = app().Log().Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(IsRun(runs[0], ReleaseLine)) << Utf8(runs[0].line);
    EXPECT_EQ(Utf8(runs[0].show), "hidden");
    EXPECT_EQ(Utf8(TextOf(Label())), Utf8(shown));
    EXPECT_FALSE(StartEnabled(app()));

    ASSERT_TRUE(ClickStopOfCountdown(app()));
    EXPECT_TRUE(StartEnabled(app()));
    Pause(1500);
    EXPECT_EQ(app().Log().Lines().size(), 1u);
}

TEST_F(MinutesCountdown, ZeroMinutesWithPowerOffRepeatsOnEveryTickUntilStop) {
    ChildProcessWatch children(app().ProcessId());
    ASSERT_TRUE(children.Ready()) << "cannot watch the program's child processes";
    StartCountdown(L"0", 单选关机);

    // Ticks 1 to 4 show -1 to -4 seconds, one after the other.
    std::wstring shown = TextOf(Label());
    for (int tick = 1; tick <= 4; ++tick) {
        ASSERT_TRUE(WaitForLabelChange(Label(), shown, &shown, nullptr, 3000)) << "tick " << tick;
        EXPECT_EQ(Utf8(shown), Utf8(RemainingSeconds(-tick)));
    }
    ASSERT_TRUE(app().Log().WaitForRuns(3, 5000));
    ASSERT_TRUE(ClickStopOfCountdown(app()));

    // Stop has returned. Every process the program started so far is counted;
    // once all of them have logged, a marker goes into the log, and nothing
    // may follow it.
    const size_t started = children.Created();
    const std::wstring shownAtStop = TextOf(Label());
    Remaining remaining;
    ASSERT_TRUE(ParseRemaining(shownAtStop, &remaining)) << Utf8(shownAtStop);
    const long long ticks = -remaining.seconds;
    // One command per tick; Stop may fall between a tick's label and its command.
    EXPECT_TRUE(static_cast<long long>(started) == ticks || static_cast<long long>(started) == ticks - 1)
        << started << " commands after " << ticks << " ticks";
    ASSERT_TRUE(app().Log().WaitForRuns(started, 10000));
    ASSERT_TRUE(AppendToLog(app().Log(), L"-- stopped"));

    Pause(3000);
    EXPECT_EQ(children.Created(), started) << "a process was started after Stop";
    std::vector<ToolRun> runs = app().Log().Runs();
    ASSERT_EQ(runs.size(), started + 1) << "log lines after the marker";
    for (size_t i = 0; i < started; ++i) {
        EXPECT_TRUE(IsRun(runs[i], PowerOffLine)) << Utf8(runs[i].line);
        EXPECT_EQ(Utf8(runs[i].show), "hidden");
    }
    EXPECT_EQ(Utf8(runs[started].line), "-- stopped");
    EXPECT_EQ(Utf8(TextOf(Label())), Utf8(shownAtStop)) << "the label was written after Stop";
    EXPECT_TRUE(StartEnabled(app()));
}

// The one test that waits for a whole minute: N = 1 counts 59 ... 0, one step
// per tick, and releases the network with the label at 0.
TEST_F(MinutesCountdown, OneMinuteCountsDownEverySecondAndReleasesAtSixty) {
    StartCountdown(L"1", 单选断网);

    std::wstring shown = TextOf(Label());
    long long expected = 59;
    DWORD zeroAt = 0;
    while (expected >= 0) {
        DWORD seenAt = 0;
        ASSERT_TRUE(WaitForLabelChange(Label(), shown, &shown, &seenAt, 3000)) << "waiting for " << expected;
        ASSERT_EQ(Utf8(shown), Utf8(RemainingSeconds(expected)));
        if (expected > 0) {
            ASSERT_EQ(app().Log().Lines().size(), 0u) << "a command before the target, at " << expected;
        }
        if (expected == 55) {
            // The picture of a running countdown in README.md.
            EXPECT_FALSE(SaveScreenshot(Window(), L"minutes_countdown_running").empty());
        }
        if (expected == 0) zeroAt = seenAt;
        --expected;
    }
    const DWORD elapsed = zeroAt - startedAt_;
    EXPECT_GE(elapsed, 60000u) << "60 ticks of at least one second each";
    EXPECT_LE(elapsed, 65000u);

    ASSERT_TRUE(app().Log().WaitForRuns(1, 5000)) << "no release after the sixtieth tick";
    Pause(2500);
    std::vector<ToolRun> runs = app().Log().Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(IsRun(runs[0], ReleaseLine)) << Utf8(runs[0].line);
    EXPECT_EQ(Utf8(runs[0].show), "hidden");
    EXPECT_EQ(Utf8(TextOf(Label())), Utf8(RemainingSeconds(0)));
    EXPECT_FALSE(StartEnabled(app()));
}

TEST_F(MinutesCountdown, StartWithAChoiceMissingAsksForTheChoices) {
    struct Case {
        const char* name;
        std::vector<uint32_t> radios;
    };
    const Case cases[] = {
        {"no choice", {}},
        {"minutes without an action", {单选分钟}},
        {"date without an action", {单选日期}},
        {"release without a kind", {单选断网}},
        {"power off without a kind", {单选关机}},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!first) Launch();
        first = false;
        for (uint32_t radio : c.radios) ASSERT_TRUE(ChooseRadio(app(), radio)) << NameOf(radio);

        ASSERT_TRUE(Click(Get(按钮开始)));
        EXPECT_TRUE(WaitUntil([&] { return TextOf(Label()) == L"请先设置"; }, 5000))
            << "label: " << Utf8(TextOf(Label()));
        ASSERT_TRUE(WindowThreadIdle(Window()));
        EXPECT_TRUE(StartEnabled(app()));

        // No worker runs: a tick would overwrite the label after a second.
        Pause(1500);
        EXPECT_EQ(Utf8(TextOf(Label())), "请先设置");
        EXPECT_EQ(app().Log().Lines().size(), 0u);
    }
}

// Esc right after Start, with the focus where the click left it: 按钮开始 has
// disabled itself, so no control holds the focus and the key goes to the
// window itself. And Esc with the focus on a control.
TEST_F(MinutesCountdown, EscDuringACountdownEndsTheProgramWithoutACommand) {
    struct Case {
        uint32_t action;
        uint32_t focus; // 0: as Start left it
    };
    const Case cases[] = {{单选断网, 0}, {单选关机, 0}, {单选断网, 编秒数框}, {单选关机, 编秒数框}};
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.action) + ", focus on " + (c.focus != 0 ? NameOf(c.focus) : std::string("none")));
        if (!first) Launch();
        first = false;
        StartCountdown(L"1", c.action);
        std::wstring shown = TextOf(Label());
        ASSERT_TRUE(WaitForLabelChange(Label(), shown, &shown, nullptr, 3000));
        ASSERT_EQ(Utf8(shown), Utf8(RemainingSeconds(59)));
        if (c.focus != 0) ClickAndFocus(c.focus);

        ASSERT_TRUE(app().EnsureForeground());
        ASSERT_TRUE(PressKey(VK_ESCAPE));
        DWORD exitCode = 1234;
        EXPECT_TRUE(app().WaitForExit(&exitCode, 10000))
            << "still running after Esc; focus window " << app().Focus() << ", active window "
            << GetForegroundWindow() << ", main window " << Window();
        if (app().Running()) continue;
        EXPECT_EQ(exitCode, 0u);
        Pause(1500);
        EXPECT_EQ(app().Log().Lines().size(), 0u) << "a command was started on the way out";
    }
}

} // namespace
