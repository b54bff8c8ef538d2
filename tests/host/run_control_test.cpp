// Start and Stop over the simulated window: the checks of Start and their order,
// the start of exactly one worker, and Stop at any moment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/countdown_fixture.h"

namespace {

using RunControlTest = CountdownTest;

const std::string BlankLabel(19, ' ');

// A property call as the tests spell it: read or write, unit, property, and the
// integer value read or written.
struct Call {
    bool write;
    uint32_t unit;
    int32_t property;
    intptr_t value;
};

std::vector<Call> WindowThreadCalls() {
    std::vector<Call> calls;
    for (const SimPropertyAccess& access : SimPropertyLog()) {
        if (access.worker == 0) calls.push_back(Call{access.write, access.unit, access.property, access.value});
    }
    return calls;
}

void ExpectCalls(const std::vector<Call>& expected) {
    const std::vector<Call> actual = WindowThreadCalls();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].write, expected[i].write) << "call " << i;
        EXPECT_EQ(actual[i].unit, expected[i].unit) << "call " << i;
        EXPECT_EQ(actual[i].property, expected[i].property) << "call " << i;
        if (actual[i].property != PropCaption) {
            EXPECT_EQ(actual[i].value, expected[i].value) << "call " << i;
        }
    }
}

// Incomplete choices: the radios the user clicked before Start, and the calls
// Start makes, ending with Start enabled again and the request to set up first.
struct IncompleteCase {
    const char* name;
    std::vector<uint32_t> clicked;
    std::vector<Call> calls;
};

TEST_F(RunControlTest, IncompleteChoicesAskForThemAndStartNothing) {
    const Call disable{true, 按钮开始, PropDisabled, 1};
    const Call enable{true, 按钮开始, PropDisabled, 0};
    const Call ask{true, 标签5, PropCaption, 0};
    const IncompleteCase cases[] = {
        // Without a kind the action radios are not read.
        {"nothing chosen", {}, {disable, {false, 单选日期, PropChecked, 0}, {false, 单选分钟, PropChecked, 0}, enable, ask}},
        {"only an action", {单选断网}, {disable, {false, 单选日期, PropChecked, 0}, {false, 单选分钟, PropChecked, 0}, enable, ask}},
        {"minutes, no action",
         {单选分钟},
         {disable, {false, 单选日期, PropChecked, 0}, {false, 单选分钟, PropChecked, 1},
          {false, 单选关机, PropChecked, 0}, {false, 单选断网, PropChecked, 0}, enable, ask}},
        // A checked date radio makes the minutes radio unread.
        {"date, no action",
         {单选日期},
         {disable, {false, 单选日期, PropChecked, 1}, {false, 单选关机, PropChecked, 0},
          {false, 单选断网, PropChecked, 0}, enable, ask}},
    };
    for (const IncompleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimResetWindow();
        for (uint32_t radio : c.clicked) ASSERT_TRUE(SimClick(radio));
        ASSERT_TRUE(SimClick(按钮开始));
        ExpectCalls(c.calls);
        EXPECT_FALSE(SimDisabled(按钮开始));
        EXPECT_EQ(SimText(标签5), Gbk("请先设置"));
        EXPECT_EQ(RunFlag.load(), 0);
        EXPECT_EQ(WorkerHandle.load(), 0u);
        EXPECT_EQ(SimPendingWorkerCount(), 0);
    }
}

TEST_F(RunControlTest, StartWithBothChoicesStartsOneWorkerOfTheCheckedKind) {
    struct Case {
        uint32_t kind;
        uint32_t action;
        ThreadRoutine routine;
        std::vector<Call> calls;
    };
    const Call disable{true, 按钮开始, PropDisabled, 1};
    const Case cases[] = {
        {单选分钟, 单选断网, MinutesCountdown,
         {disable, {false, 单选日期, PropChecked, 0}, {false, 单选分钟, PropChecked, 1},
          {false, 单选关机, PropChecked, 0}, {false, 单选断网, PropChecked, 1},
          {false, 单选日期, PropChecked, 0}, {false, 单选分钟, PropChecked, 1}}},
        // Both kind radios are read again: the date test does not skip the minutes test.
        {单选日期, 单选关机, DateCountdown,
         {disable, {false, 单选日期, PropChecked, 1}, {false, 单选关机, PropChecked, 1},
          {false, 单选日期, PropChecked, 1}, {false, 单选分钟, PropChecked, 0}}},
    };
    for (const Case& c : cases) {
        ResetSimulation();
        int32_t runFlagWhenStarted = -1;
        SimSetThreadStartHook([&] { runFlagWhenStarted = RunFlag.load(); });
        StartWith(c.kind, c.action);
        ExpectCalls(c.calls);
        const std::vector<SimWorkerInfo> workers = SimWorkers();
        ASSERT_EQ(workers.size(), 1u);
        EXPECT_EQ(workers[0].routine, c.routine);
        EXPECT_FALSE(workers[0].ran) << "the worker must not run inside StartThread";
        EXPECT_EQ(runFlagWhenStarted, 1) << "RunFlag is set before the thread starts";
        EXPECT_EQ(WorkerHandle.load(), workers[0].handle);
        EXPECT_TRUE(SimDisabled(按钮开始));
        EXPECT_EQ(SimText(标签5), BlankLabel) << "the label waits for the first tick";
        // A second click on the disabled Start does nothing.
        EXPECT_FALSE(SimClick(按钮开始));
        EXPECT_EQ(SimWorkers().size(), 1u);
    }
}

TEST_F(RunControlTest, StopBeforeAnyStartOnlyEnablesStart) {
    for (int stop = 0; stop < 2; ++stop) ASSERT_TRUE(SimClick(按钮停止));
    ExpectCalls({{true, 按钮开始, PropDisabled, 0}, {true, 按钮开始, PropDisabled, 0}});
    EXPECT_FALSE(SimDisabled(按钮开始));
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_EQ(WorkerHandle.load(), 0u);
    EXPECT_EQ(SimText(标签5), BlankLabel);
}

TEST_F(RunControlTest, StopDuringACountdownEndsItAndASecondStopChangesNothing) {
    StartWith(单选分钟, 单选关机);
    const ThreadHandle worker = WorkerHandle.load();
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 4) {
            SimClick(按钮停止);
            SimClick(按钮停止);
        }
    });
    const SimWorkerInfo info = SimRunNextWorker(100);
    EXPECT_TRUE(info.returned);
    EXPECT_TRUE(info.stopped);
    EXPECT_FALSE(info.overBudget);
    EXPECT_EQ(info.ticks, 4);
    EXPECT_EQ(info.stepsAfterStop, 0) << "stopped in its wait, the worker leaves at once";
    EXPECT_EQ(SimText(标签5), Remaining("0天0时59分57秒")) << "the label keeps the last time shown";
    EXPECT_EQ(SimLabelHistory().size(), 3u);
    EXPECT_FALSE(SimDisabled(按钮开始));
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_EQ(WorkerHandle.load(), worker) << "Stop leaves WorkerHandle alone";
    EXPECT_TRUE(SimCommands().empty());
}

TEST_F(RunControlTest, StartAfterReleaseNeedsStopFirstAndCountsAgain) {
    SimType(编秒数框, "0");
    StartWith(单选分钟, 单选断网);
    const SimWorkerInfo first = SimRunNextWorker(10);
    ASSERT_TRUE(first.endedSelf);
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_TRUE(SimDisabled(按钮开始)) << "Start stays disabled after the release";
    EXPECT_FALSE(SimClick(按钮开始));

    ASSERT_TRUE(SimClick(按钮停止));
    EXPECT_FALSE(SimDisabled(按钮开始));
    EXPECT_EQ(RunFlag.load(), 0);

    SimType(编秒数框, "1");
    ASSERT_TRUE(SimClick(按钮开始));
    EXPECT_EQ(RunFlag.load(), 1);
    EXPECT_NE(WorkerHandle.load(), first.handle);
    const SimWorkerInfo second = SimRunNextWorker(100);
    EXPECT_EQ(second.handle, WorkerHandle.load());
    EXPECT_EQ(second.ticks, 60) << "a new Start counts the full N minutes again";
    EXPECT_EQ(CommandTicks(ReleaseCommand), (std::vector<int64_t>{1, 60}));
}

TEST_F(RunControlTest, AFailedThreadStartGoesUnnoticedUntilStop) {
    SimFailNextThreadStart();
    StartWith(单选分钟, 单选断网);
    EXPECT_EQ(RunFlag.load(), 1);
    EXPECT_EQ(WorkerHandle.load(), 0u);
    EXPECT_TRUE(SimDisabled(按钮开始));
    EXPECT_EQ(SimPendingWorkerCount(), 0);
    ASSERT_TRUE(SimClick(按钮停止));
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_FALSE(SimDisabled(按钮开始));
}

} // namespace
