// The minutes countdown over the simulated window, clock and threads: what each
// tick shows, when the action comes, the user working the window meanwhile, and
// Stop striking anywhere in a tick.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/host/countdown_fixture.h"

namespace {

using MinutesCountdownTest = CountdownTest;

// N as typed into 编秒数框, the texts expected on chosen ticks, and the tick of
// the release (0: none within `ticks` ticks, after which the run is cut off).
struct MinutesCase {
    const char* typed;
    std::vector<std::pair<int64_t, const char*>> labels;
    int64_t releaseTick;
    int64_t ticks;
};

TEST_F(MinutesCountdownTest, ShowsTheTimeLeftAndActsAfterNMinutesOfTicks) {
    const MinutesCase cases[] = {
        {"60", {{1, "0天0时59分59秒"}, {3599, "0天0时0分1秒"}, {3600, "0天0时0分0秒"}}, 3600, 3600},
        {"1", {{1, "0天0时0分59秒"}, {59, "0天0时0分1秒"}, {60, "0天0时0分0秒"}}, 60, 60},
        {"0", {{1, "0天0时0分-1秒"}}, 1, 1},
        {"", {{1, "0天0时0分-1秒"}}, 1, 1},
        {"abc", {{1, "0天0时0分-1秒"}}, 1, 1},
        {"-5", {{1, "0天0时-5分-1秒"}}, 1, 1},
        {"1440", {{1, "0天23时59分59秒"}, {86399, "0天0时0分1秒"}, {86400, "0天0时0分0秒"}}, 86400, 86400},
        // Whole 365-day periods are dropped from the display only. For these the
        // run is cut off after two minutes of ticks: the target test must not have
        // fired where a small N would have.
        {"525600", {{1, "364天23时59分59秒"}, {120, "364天23时58分0秒"}}, 0, 120},
        {"525601", {{1, "0天0时0分59秒"}, {60, "0天0时0分0秒"}, {61, "364天23时59分59秒"}}, 0, 120},
        {"600000", {{1, "51天15时59分59秒"}}, 0, 120},
        // N × 60 wraps to a negative total; the shown time is negative while the
        // target test still waits for N minutes.
        {"35791395", {{1, "-35天-3时-13分-17秒"}}, 0, 120},
    };
    for (const MinutesCase& c : cases) {
        SCOPED_TRACE(std::string("N = \"") + c.typed + "\"");
        ResetSimulation();
        SimSetPropertyLogging(false);
        SimType(编秒数框, c.typed);
        StartWith(单选分钟, 单选断网);
        const SimWorkerInfo info = SimRunNextWorker(c.ticks);

        const std::map<int64_t, std::string> labels = LabelsByTick();
        EXPECT_EQ(static_cast<int64_t>(labels.size()), info.ticks) << "one label write per tick";
        for (const auto& expected : c.labels) {
            auto found = labels.find(expected.first);
            ASSERT_NE(found, labels.end()) << "tick " << expected.first;
            EXPECT_EQ(found->second, Remaining(expected.second)) << "tick " << expected.first << ": " << Utf8(found->second);
        }
        if (c.releaseTick != 0) {
            EXPECT_EQ(CommandTicks(ReleaseCommand), std::vector<int64_t>{c.releaseTick});
            EXPECT_EQ(info.ticks, c.releaseTick);
            EXPECT_TRUE(info.endedSelf);
            EXPECT_FALSE(info.overBudget);
            EXPECT_EQ(RunFlag.load(), 0);
        } else {
            EXPECT_TRUE(SimCommands().empty());
            EXPECT_TRUE(info.overBudget);
            EXPECT_EQ(RunFlag.load(), 1);
        }
    }
}

TEST_F(MinutesCountdownTest, ATickReadsNTwiceAroundTheLabelAndTheRadiosOnlyAtTheTarget) {
    SimType(编秒数框, "1");
    StartWith(单选分钟, 单选关机);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 61) SimClick(按钮停止);
    });
    SimRunNextWorker(100);

    const auto layout = [](int64_t tick) {
        std::vector<std::pair<bool, uint32_t>> calls;
        for (const SimPropertyAccess& access : WorkerAccessesOnTick(tick)) calls.emplace_back(access.write, access.unit);
        return calls;
    };
    const std::vector<std::pair<bool, uint32_t>> ordinary = {{false, 编秒数框}, {true, 标签5}, {false, 编秒数框}};
    std::vector<std::pair<bool, uint32_t>> atTarget = ordinary;
    atTarget.emplace_back(false, 单选断网);
    atTarget.emplace_back(false, 单选关机);
    EXPECT_EQ(layout(1), ordinary);
    EXPECT_EQ(layout(59), ordinary);
    EXPECT_EQ(layout(60), atTarget);
    EXPECT_TRUE(layout(61).empty()) << "stopped during its wait, the worker reaches no control";
    for (const SimPropertyAccess& access : SimPropertyLog()) {
        if (access.worker == 0) continue;
        const int32_t expected = access.unit == 编秒数框 ? PropContent : access.unit == 标签5 ? PropCaption : PropChecked;
        EXPECT_EQ(access.property, expected);
    }
}

// The user edits N while the countdown runs: before tick `editTick`, or between
// the display read and the test read of that tick.
struct EditCase {
    const char* name;
    const char* startN;
    int64_t editTick;
    bool betweenTheTwoReads;
    const char* editedN;
    int64_t labelTick;
    const char* label;
    int64_t releaseTick;
};

TEST_F(MinutesCountdownTest, EditsOfNTakeEffectOnTheNextRead) {
    const EditCase cases[] = {
        {"cleared", "60", 100, false, "", 100, "0天0时-1分-40秒", 100},
        {"lowered below the minutes elapsed", "60", 180, false, "2", 180, "0天0时-1分0秒", 180},
        {"raised", "1", 30, false, "2", 30, "0天0时1分30秒", 120},
        // The display still used the old N; the target test sees the new one.
        {"lowered between the two reads", "60", 5, true, "0", 5, "0天0时59分55秒", 5},
        {"raised between the two reads", "0", 1, true, "60", 1, "0天0时0分-1秒", 3600},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSimulation();
        SimSetPropertyLogging(false);
        SimType(编秒数框, c.startN);
        StartWith(单选分钟, 单选断网);
        int readsOnTick = 0;
        if (c.betweenTheTwoReads) {
            SimSetPropertyAccessHook([&](const SimPropertyAccess& access) {
                if (access.tick == c.editTick && access.unit == 编秒数框 && ++readsOnTick == 2) SimType(编秒数框, c.editedN);
            });
        } else {
            SimSetBetweenTicksHook([&](int64_t tick) {
                if (tick == c.editTick) SimType(编秒数框, c.editedN);
            });
        }
        SimRunNextWorker(4000);
        const std::map<int64_t, std::string> labels = LabelsByTick();
        ASSERT_EQ(labels.count(c.labelTick), 1u);
        EXPECT_EQ(labels.at(c.labelTick), Remaining(c.label)) << Utf8(labels.at(c.labelTick));
        EXPECT_EQ(CommandTicks(ReleaseCommand), std::vector<int64_t>{c.releaseTick});
    }
}

TEST_F(MinutesCountdownTest, TheActionIsTheOneCheckedWhenTheTargetIsReached) {
    struct Case {
        uint32_t chosen;
        uint32_t switchedTo;
        std::vector<int64_t> powerOffTicks;
        std::vector<int64_t> releaseTicks;
    };
    const Case cases[] = {
        {单选关机, 单选断网, {}, {60}},
        {单选断网, 单选关机, {60, 61, 62}, {}},
    };
    for (const Case& c : cases) {
        ResetSimulation();
        SimType(编秒数框, "1");
        StartWith(单选分钟, c.chosen);
        SimSetBetweenTicksHook([&](int64_t tick) {
            if (tick == 59) SimClick(c.switchedTo);
            if (tick == 63) SimClick(按钮停止);
        });
        SimRunNextWorker(100);
        EXPECT_EQ(CommandTicks(PowerOffCommand), c.powerOffTicks);
        EXPECT_EQ(CommandTicks(ReleaseCommand), c.releaseTicks);
    }
}

TEST_F(MinutesCountdownTest, ReleaseEndsTheWorkerWithoutReadingThePowerOffRadio) {
    SimType(编秒数框, "1");
    StartWith(单选分钟, 单选断网);
    const SimWorkerInfo info = SimRunNextWorker(1000);
    EXPECT_TRUE(info.returned);
    EXPECT_TRUE(info.endedSelf);
    EXPECT_EQ(info.ticks, 60);
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_EQ(WorkerReadsOf(单选关机), 0);
    EXPECT_EQ(WorkerReadsOf(单选断网), 1);
    ASSERT_EQ(SimCommands().size(), 1u);
    EXPECT_EQ(SimCommands()[0].commandLine, ReleaseCommand);
    EXPECT_FALSE(SimCommands()[0].wait);
    EXPECT_EQ(SimCommands()[0].windowMode, WindowModeHidden);
    EXPECT_EQ(SimText(标签5), Remaining("0天0时0分0秒"));
    EXPECT_TRUE(SimDisabled(按钮开始));
}

TEST_F(MinutesCountdownTest, PowerOffIsRepeatedOnEveryTickUntilStop) {
    SimType(编秒数框, "1");
    StartWith(单选分钟, 单选关机);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 65) SimClick(按钮停止);
    });
    const SimWorkerInfo info = SimRunNextWorker(1000);
    EXPECT_EQ(CommandTicks(PowerOffCommand), (std::vector<int64_t>{60, 61, 62, 63, 64}));
    for (const SimCommandRecord& command : SimCommands()) {
        EXPECT_FALSE(command.wait);
        EXPECT_EQ(command.windowMode, WindowModeHidden);
    }
    const std::map<int64_t, std::string> labels = LabelsByTick();
    EXPECT_EQ(labels.at(61), Remaining("0天0时0分-1秒"));
    EXPECT_EQ(labels.at(64), Remaining("0天0时0分-4秒"));
    EXPECT_EQ(labels.rbegin()->first, 64) << "nothing is written after Stop";
    EXPECT_TRUE(info.returned);
    EXPECT_FALSE(info.endedSelf);
    EXPECT_EQ(RunFlag.load(), 0);
}

// Stop clicked by the user just before the k-th property call of the target
// tick: from then on the worker writes nothing and starts nothing, and it leaves.
TEST_F(MinutesCountdownTest, StopStrikingAnywhereInATickEndsAllEffects) {
    // The calls of the target tick: read N, write the label, read N, read the
    // release radio, and with power off the power-off radio (then the command).
    for (uint32_t action : {单选关机, 单选断网}) {
        for (int k = 1; k <= (action == 单选关机 ? 5 : 4); ++k) {
            SCOPED_TRACE(::testing::Message() << (action == 单选关机 ? "power off" : "release") << ", Stop before call " << k);
            ResetSimulation();
            SimType(编秒数框, "0");
            StartWith(单选分钟, action);
            int calls = 0;
            SimSetPropertyAccessHook([&](const SimPropertyAccess&) {
                if (++calls == k) SimClick(按钮停止);
            });
            const SimWorkerInfo info = SimRunNextWorker(10);
            EXPECT_TRUE(info.returned);
            EXPECT_FALSE(info.overBudget) << "the stopped worker must leave by itself";
            EXPECT_EQ(info.ticks, 1);
            EXPECT_TRUE(SimCommands().empty());
            EXPECT_EQ(SimLabelHistory().size(), k >= 3 ? 1u : 0u);
            int effective = 0;
            for (const SimPropertyAccess& access : SimPropertyLog()) {
                if (access.worker != 0 && !access.refused) ++effective;
            }
            EXPECT_EQ(effective, k - 1);
            EXPECT_EQ(RunFlag.load(), 0);
            EXPECT_FALSE(SimDisabled(按钮开始));
        }
    }
}

// Stop, and at once a new Start, while the worker is starting the release: the
// old worker must neither release nor touch the new run's RunFlag or worker.
TEST_F(MinutesCountdownTest, StopAndRestartDuringTheReleaseLeaveTheNewRunAlone) {
    SimType(编秒数框, "0");
    StartWith(单选分钟, 单选断网);
    SimSetCommandHook([](const std::string&) {
        SimClick(按钮停止);
        SimType(编秒数框, "1");
        SimClick(按钮开始);
    });
    const SimWorkerInfo old = SimRunNextWorker(10);
    EXPECT_TRUE(old.returned);
    EXPECT_EQ(SimRefusedCommandCount(), 1);
    EXPECT_TRUE(SimCommands().empty());
    EXPECT_EQ(RunFlag.load(), 1) << "the old worker cleared the new run's flag";
    ASSERT_EQ(SimWorkers().size(), 2u);
    EXPECT_EQ(WorkerHandle.load(), SimWorkers()[1].handle);
    EXPECT_FALSE(SimWorkers()[1].stopped) << "the old worker ended the new one";

    SimSetCommandHook(nullptr);
    const SimWorkerInfo fresh = SimRunNextWorker(100);
    EXPECT_EQ(fresh.ticks, 60);
    EXPECT_EQ(CommandTicks(ReleaseCommand), std::vector<int64_t>{60});
}

TEST_F(MinutesCountdownTest, AClosedWindowGetsNoWriteAndNoCommand) {
    SimType(编秒数框, "1");
    StartWith(单选分钟, 单选关机);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 30) SimCloseWindow();
    });
    // Nothing stops the worker when the window goes; the process end does. Here
    // the tick budget stands for it.
    const SimWorkerInfo info = SimRunNextWorker(120);
    EXPECT_TRUE(info.returned);
    EXPECT_EQ(LabelsByTick().rbegin()->first, 29);
    EXPECT_TRUE(SimCommands().empty());
}

} // namespace
