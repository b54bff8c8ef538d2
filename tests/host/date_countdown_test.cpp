// The date countdown over the simulated window, clock and threads: what each
// tick shows, when the action comes, the clock turning between the readings of
// one tick, the user changing the target meanwhile, and Stop anywhere in a tick.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/host/countdown_fixture.h"

namespace {

using DateCountdownTest = CountdownTest;

const uint32_t Boxes[5] = {年份框, 月份框, 日期框, 小时框, 分钟框};

// The combo texts of a scenario; null keeps the window's start text
// ("2019", "12", "28", "18", "30").
struct Combos {
    const char* texts[5];
};
const Combos StartTexts = {{nullptr, nullptr, nullptr, nullptr, nullptr}};

// Scenario: the clock when Start is clicked, the combo texts, the action, how
// many ticks to run at most, texts expected on chosen ticks, and the ticks on
// which the action's command was started (with release, the worker ends there).
struct DateScenario {
    const char* name;
    LocalClockReading start;
    Combos combos;
    uint32_t action;
    int64_t ticks;
    std::vector<std::pair<int64_t, const char*>> labels;
    std::vector<int64_t> actionTicks;
};

std::vector<int64_t> Range(int64_t first, int64_t last) {
    std::vector<int64_t> ticks;
    for (int64_t tick = first; tick <= last; ++tick) ticks.push_back(tick);
    return ticks;
}

// The seconds from 0100-01-01 00:00:00 (what a target text that names no date
// parses as) to 2019-12-28 18:29:59, wrapped to 32 bits.
const char* const SinceEarliestAt182959 = "5317天23时54分15秒";

class DateScenarios : public CountdownTest {
protected:
    void Begin(const LocalClockReading& start, const Combos& combos, uint32_t action) {
        SimSetClock(start);
        for (int i = 0; i < 5; ++i) {
            if (combos.texts[i] != nullptr) SimType(Boxes[i], combos.texts[i]);
        }
        StartWith(单选日期, action);
    }
};

TEST_F(DateScenarios, ShowsTheDistanceToTheTargetAndActsFromTheTargetMinuteOn) {
    const DateScenario scenarios[] = {
        // The start texts make the target 2019年12月28日18时30分58秒; a target N
        // seconds ahead shows as N - 1.
        {"start texts, from 18:25", {2019, 12, 28, 18, 25, 0}, StartTexts, 单选断网, 400,
         {{1, "0天0时5分56秒"}, {299, "0天0时0分58秒"}, {300, "0天0时0分57秒"}}, {300}},
        {"from 18:45, past the target minute", {2019, 12, 28, 18, 45, 0}, StartTexts, 单选断网, 10,
         {{1, "0天0时14分3秒"}}, {1}},
        {"from 19:05, past the target hour", {2019, 12, 28, 19, 5, 0}, StartTexts, 单选关机, 5,
         {{1, "0天0时34分3秒"}, {5, "0天0时34分7秒"}}, {}},
        {"the day before at 18:00", {2019, 12, 27, 18, 0, 0}, StartTexts, 单选断网, 90000,
         {{1, "1天0时30分56秒"}, {86400, "0天0时30分57秒"}, {88200, "0天0时0分57秒"}}, {88200}},
        // An empty hour is hour 0 in the target text and in the test alike.
        {"empty 小时框, from 00:25", {2019, 12, 28, 0, 25, 0}, {{nullptr, nullptr, nullptr, "", nullptr}}, 单选断网,
         400, {{1, "0天0时5分56秒"}, {300, "0天0时0分57秒"}}, {300}},
        {"empty 小时框, from 18:25", {2019, 12, 28, 18, 25, 0}, {{nullptr, nullptr, nullptr, "", nullptr}}, 单选关机,
         400, {{1, "0天17时54分3秒"}}, {}},
        {"empty 分钟框", {2019, 12, 28, 17, 59, 58}, {{nullptr, nullptr, nullptr, nullptr, ""}}, 单选断网, 10,
         {{1, "0天0时0分58秒"}, {2, "0天0时0分57秒"}}, {2}},
        // No day: the target text names no date, the display counts from
        // 0100-01-01, and the test never matches.
        {"empty 日期框", {2019, 12, 28, 18, 29, 58}, {{nullptr, nullptr, "", nullptr, nullptr}}, 单选关机, 5,
         {{1, SinceEarliestAt182959}, {2, "5317天23时54分16秒"}}, {}},
        {"month 13", {2019, 12, 28, 18, 29, 58}, {{nullptr, "13", nullptr, nullptr, nullptr}}, 单选关机, 5,
         {{1, SinceEarliestAt182959}}, {}},
        {"leading zeros", {2019, 8, 5, 9, 6, 58}, {{"2019", "08", "05", "09", "07"}}, 单选断网, 10,
         {{1, "0天0时0分58秒"}, {2, "0天0时0分57秒"}}, {2}},
        // A target text that does not parse spoils the display, not the test.
        {"year with a leading blank", {2019, 12, 28, 18, 29, 58}, {{" 2019", nullptr, nullptr, nullptr, nullptr}},
         单选断网, 10, {{1, SinceEarliestAt182959}, {2, "5317天23时54分16秒"}}, {2}},
        // Power off goes on for as long as the clock is in the target hour at or
        // after the target minute; past second 58 the shown time grows again.
        {"power off until the hour ends", {2019, 12, 28, 18, 57, 58}, {{nullptr, nullptr, nullptr, nullptr, "58"}},
         单选关机, 130,
         {{2, "0天0时0分57秒"}, {59, "0天0时0分0秒"}, {60, "0天0时0分0秒"}, {61, "0天0时0分1秒"},
          {121, "0天0时1分1秒"}, {122, "0天0时1分2秒"}},
         Range(2, 121)},
    };
    for (const DateScenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        ResetSimulation();
        SimSetPropertyLogging(false);
        Begin(s.start, s.combos, s.action);
        const SimWorkerInfo info = SimRunNextWorker(s.ticks);

        const std::map<int64_t, std::string> labels = LabelsByTick();
        EXPECT_EQ(static_cast<int64_t>(labels.size()), info.ticks) << "one label write per tick";
        for (const auto& expected : s.labels) {
            auto found = labels.find(expected.first);
            ASSERT_NE(found, labels.end()) << "tick " << expected.first;
            EXPECT_EQ(found->second, Remaining(expected.second)) << "tick " << expected.first << ": " << Utf8(found->second);
        }
        if (s.action == 单选断网) {
            EXPECT_EQ(CommandTicks(ReleaseCommand), s.actionTicks);
            EXPECT_TRUE(CommandTicks(PowerOffCommand).empty());
        } else {
            EXPECT_EQ(CommandTicks(PowerOffCommand), s.actionTicks);
            EXPECT_TRUE(CommandTicks(ReleaseCommand).empty());
        }
        const bool released = s.action == 单选断网 && !s.actionTicks.empty();
        EXPECT_EQ(info.endedSelf, released);
        EXPECT_EQ(info.overBudget, !released);
        EXPECT_EQ(RunFlag.load(), released ? 0 : 1);
        for (const SimCommandRecord& command : SimCommands()) {
            EXPECT_FALSE(command.wait);
            EXPECT_EQ(command.windowMode, WindowModeHidden);
        }
    }
}

// The clock moves on by one second just before reading number `moveBefore`
// (1 year, 2 month, 3 day, 4 hour, 5 minute, 6 now; 0: it does not) of the
// first tick: the components of one tick then come from both sides of a turn.
struct TurnCase {
    const char* name;
    LocalClockReading start;
    Combos combos;
    int moveBefore;
    const char* firstLabel;
    std::vector<int64_t> releaseTicks;
};

TEST_F(DateScenarios, EachComponentComesFromAReadingOfItsOwn) {
    const Combos midnight = {{"2019", "12", "28", "0", "0"}};
    const TurnCase cases[] = {
        {"minute turns before its reading: acts a tick early", {2019, 12, 28, 18, 29, 58}, StartTexts, 5,
         "0天0时0分57秒", {1}},
        {"minute, no turn", {2019, 12, 28, 18, 29, 58}, StartTexts, 0, "0天0时0分58秒", {2}},
        {"hour turns between the hour and the minute: never acts", {2019, 12, 28, 18, 59, 58}, StartTexts, 5,
         "0天0时29分2秒", {}},
        {"hour, no turn: acts at once", {2019, 12, 28, 18, 59, 58}, StartTexts, 0, "0天0时29分1秒", {1}},
        {"day turns before the day's reading", {2019, 12, 27, 23, 59, 58}, midnight, 3, "0天0时0分57秒", {1}},
        {"day turns after the day's reading", {2019, 12, 27, 23, 59, 58}, midnight, 4, "0天0时0分57秒", {2}},
    };
    for (const TurnCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSimulation();
        Begin(c.start, c.combos, 单选断网);
        int readings = 0;
        SimSetClockReadHook([&] {
            if (SimCurrentTick() == 1 && ++readings == c.moveBefore) SimAdvanceClockMilliseconds(1000);
        });
        int64_t readsAtTickStart = SimClockReadCount();
        std::vector<int64_t> readingsPerTick;
        SimSetBetweenTicksHook([&](int64_t) {
            readingsPerTick.push_back(SimClockReadCount() - readsAtTickStart);
            readsAtTickStart = SimClockReadCount();
        });
        SimRunNextWorker(5);
        SimSetClockReadHook(nullptr);
        EXPECT_EQ(LabelsByTick().at(1), Remaining(c.firstLabel)) << Utf8(LabelsByTick().at(1));
        EXPECT_EQ(CommandTicks(ReleaseCommand), c.releaseTicks);
        // Six readings on every tick: the first entry is the time before the first tick.
        for (size_t i = 1; i < readingsPerTick.size(); ++i) EXPECT_EQ(readingsPerTick[i], 6) << "tick " << i;
    }
}

// The calls of one tick: the five combo boxes for the display, the label, then
// the target test reading the boxes in order until the first mismatch, then the
// radios at the target.
TEST_F(DateScenarios, TheTestReadsTheBoxesAfreshUntilTheFirstMismatch) {
    struct Case {
        Combos combos;
        uint32_t action;
        std::vector<uint32_t> afterTheLabel;
    };
    const Case cases[] = {
        {{{"2020", nullptr, nullptr, nullptr, nullptr}}, 单选断网, {年份框}},
        {{{nullptr, "11", nullptr, nullptr, nullptr}}, 单选断网, {年份框, 月份框}},
        {{{nullptr, nullptr, "27", nullptr, nullptr}}, 单选断网, {年份框, 月份框, 日期框}},
        {{{nullptr, nullptr, nullptr, "17", nullptr}}, 单选断网, {年份框, 月份框, 日期框, 小时框}},
        {{{nullptr, nullptr, nullptr, nullptr, "31"}}, 单选断网, {年份框, 月份框, 日期框, 小时框, 分钟框}},
        {StartTexts, 单选断网, {年份框, 月份框, 日期框, 小时框, 分钟框, 单选断网}},
        {StartTexts, 单选关机, {年份框, 月份框, 日期框, 小时框, 分钟框, 单选断网, 单选关机}},
    };
    for (const Case& c : cases) {
        ResetSimulation();
        Begin({2019, 12, 28, 18, 30, 10}, c.combos, c.action);
        SimSetBetweenTicksHook([](int64_t tick) {
            if (tick == 2) SimClick(按钮停止);
        });
        SimRunNextWorker(5);
        std::vector<uint32_t> expected(Boxes, Boxes + 5);
        expected.push_back(标签5);
        expected.insert(expected.end(), c.afterTheLabel.begin(), c.afterTheLabel.end());
        std::vector<uint32_t> actual;
        for (const SimPropertyAccess& access : WorkerAccessesOnTick(1)) {
            actual.push_back(access.unit);
            EXPECT_EQ(access.write, access.unit == 标签5);
            const bool box = access.unit != 标签5 && access.unit != 单选断网 && access.unit != 单选关机;
            EXPECT_EQ(access.property, box ? PropComboText : access.unit == 标签5 ? PropCaption : PropChecked);
        }
        EXPECT_EQ(actual, expected);
    }
}

TEST_F(DateScenarios, ChangesOfTheBoxesTakeEffectOnTheNextRead) {
    // 分钟框 lowered to 26 before tick 10: the target moves to 18:26:58.
    ResetSimulation();
    SimSetPropertyLogging(false);
    Begin({2019, 12, 28, 18, 25, 0}, StartTexts, 单选断网);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 10) SimType(分钟框, "26");
    });
    SimRunNextWorker(400);
    EXPECT_EQ(LabelsByTick().at(9), Remaining("0天0时5分48秒"));
    EXPECT_EQ(LabelsByTick().at(10), Remaining("0天0时1分47秒"));
    EXPECT_EQ(CommandTicks(ReleaseCommand), std::vector<int64_t>{60});

    // 小时框 changed between the display's read and the test's read of tick 2
    // (18:30:00): the display still counts to 18:30:58, the test sees hour 17.
    ResetSimulation();
    Begin({2019, 12, 28, 18, 29, 58}, StartTexts, 单选断网);
    int hourReads = 0;
    SimSetPropertyAccessHook([&](const SimPropertyAccess& access) {
        if (access.tick == 2 && access.unit == 小时框 && ++hourReads == 2) SimType(小时框, "17");
    });
    SimRunNextWorker(5);
    EXPECT_EQ(LabelsByTick().at(2), Remaining("0天0时0分57秒"));
    EXPECT_EQ(LabelsByTick().at(3), Remaining("0天0时59分3秒"));
    EXPECT_TRUE(SimCommands().empty());
}

TEST_F(DateScenarios, ReleaseEndsTheWorkerWithoutReadingThePowerOffRadio) {
    Begin({2019, 12, 28, 18, 29, 58}, StartTexts, 单选断网);
    const SimWorkerInfo info = SimRunNextWorker(10);
    EXPECT_TRUE(info.returned);
    EXPECT_TRUE(info.endedSelf);
    EXPECT_EQ(info.ticks, 2);
    EXPECT_EQ(RunFlag.load(), 0);
    EXPECT_EQ(WorkerReadsOf(单选关机), 0);
    EXPECT_EQ(CommandTicks(ReleaseCommand), std::vector<int64_t>{2});
    EXPECT_EQ(SimText(标签5), Remaining("0天0时0分57秒"));
    EXPECT_TRUE(SimDisabled(按钮开始));
}

// Stop just before the k-th property call, or the j-th clock reading, of the
// target tick (18:30:00): nothing is written or started from then on, and the
// worker leaves with its kept Texts released (the fixture checks the heap).
TEST_F(DateScenarios, StopStrikingAnywhereInATickEndsAllEffects) {
    // Property calls of the target tick: 5 box reads, the label, 5 box reads,
    // the release radio, and with power off the power-off radio.
    for (uint32_t action : {单选关机, 单选断网}) {
        const int callsOnTick = action == 单选关机 ? 13 : 12;
        for (int k = 1; k <= callsOnTick; ++k) {
            SCOPED_TRACE(::testing::Message() << (action == 单选关机 ? "power off" : "release") << ", Stop before call " << k);
            ResetSimulation();
            Begin({2019, 12, 28, 18, 29, 59}, StartTexts, action);
            int calls = 0;
            SimSetPropertyAccessHook([&](const SimPropertyAccess&) {
                if (++calls == k) SimClick(按钮停止);
            });
            const SimWorkerInfo info = SimRunNextWorker(10);
            EXPECT_TRUE(info.returned);
            EXPECT_FALSE(info.overBudget) << "the stopped worker must leave by itself";
            EXPECT_EQ(info.ticks, 1);
            EXPECT_TRUE(SimCommands().empty());
            EXPECT_EQ(SimLabelHistory().size(), k > 6 ? 1u : 0u);
            int effective = 0;
            for (const SimPropertyAccess& access : SimPropertyLog()) {
                if (access.worker != 0 && !access.refused) ++effective;
            }
            EXPECT_EQ(effective, k - 1);
            EXPECT_EQ(RunFlag.load(), 0);
        }
    }
    for (int j = 1; j <= 6; ++j) {
        SCOPED_TRACE(::testing::Message() << "Stop before clock reading " << j);
        ResetSimulation();
        Begin({2019, 12, 28, 18, 29, 59}, StartTexts, 单选关机);
        int readings = 0;
        SimSetClockReadHook([&] {
            if (SimCurrentTick() == 1 && ++readings == j) SimRunAsUser([] { SimClick(按钮停止); });
        });
        const SimWorkerInfo info = SimRunNextWorker(10);
        SimSetClockReadHook(nullptr);
        EXPECT_TRUE(info.returned);
        EXPECT_FALSE(info.overBudget);
        EXPECT_TRUE(SimCommands().empty());
        EXPECT_TRUE(SimLabelHistory().empty());
    }
}

TEST_F(DateScenarios, StopBetweenTicksReleasesTheKeptTexts) {
    Begin({2019, 12, 28, 18, 25, 0}, StartTexts, 单选关机);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 3) SimClick(按钮停止);
    });
    const SimWorkerInfo info = SimRunNextWorker(100);
    EXPECT_TRUE(info.returned);
    EXPECT_EQ(info.stepsAfterStop, 0);
    EXPECT_EQ(LabelsByTick().rbegin()->first, 2);
    EXPECT_EQ(SimText(标签5), Remaining("0天0时5分55秒"));
}

TEST_F(DateScenarios, AClosedWindowGetsNoWriteAndNoCommand) {
    Begin({2019, 12, 28, 18, 29, 50}, StartTexts, 单选关机);
    SimSetBetweenTicksHook([](int64_t tick) {
        if (tick == 3) SimCloseWindow();
    });
    const SimWorkerInfo info = SimRunNextWorker(30);
    EXPECT_TRUE(info.returned);
    EXPECT_EQ(LabelsByTick().rbegin()->first, 2);
    EXPECT_TRUE(SimCommands().empty());
}

} // namespace
