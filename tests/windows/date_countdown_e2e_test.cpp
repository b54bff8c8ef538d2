// The date countdown end to end: the real tolvane.exe under Wine, the target
// typed into the five combo boxes, judged by the status label and by what the
// fake ipconfig.exe logs. Targets are taken from the local clock: the current
// minute (reached at the first tick) and one hour ahead (not reached), each
// typed in ASCII digits and in full-width digits.
#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/windows/countdown_support.h"
#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;
using namespace countdown_support;

// Setting up takes a few seconds (five fields typed, then the first tick a
// second after Start); started later in a minute, a test could straddle the
// turn of the minute, or of the hour.
constexpr WORD LatestStartSecond = 45;

void Pause(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// Waits, when needed, for the next minute, so that what follows starts early
// in a minute.
void WaitForAnEarlySecond() {
    WaitUntil([] { return LocalNow().wSecond < LatestStartSecond; }, 20000);
}

struct Case {
    const char* name;
    long long aheadSeconds; // target minute: the current one, or one hour on
    bool fullWidth;         // typed with "０" to "９"
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

class DateCountdown : public AppTest, public ::testing::WithParamInterface<Case> {
protected:
    // Types the target's year, month, day, hour and minute into the five
    // combo boxes, as decimal numbers without leading zeros.
    void TypeTarget(const SYSTEMTIME& target, bool fullWidth) {
        const std::pair<uint32_t, int> fields[] = {{年份框, target.wYear},
                                                   {月份框, target.wMonth},
                                                   {日期框, target.wDay},
                                                   {小时框, target.wHour},
                                                   {分钟框, target.wMinute}};
        for (const auto& field : fields) {
            std::wstring text = std::to_wstring(field.second);
            if (fullWidth) text = FullWidthDigits(text);
            ASSERT_TRUE(TypeInto(app(), field.first, text)) << NameOf(field.first) << " " << Utf8(text);
        }
    }

    HWND Label() { return Get(标签5); }
};

TEST_P(DateCountdown, TargetFromTheComboBoxes) {
    const Case& c = GetParam();
    ASSERT_TRUE(ChooseRadio(app(), 单选日期));
    ASSERT_TRUE(ChooseRadio(app(), 单选断网));
    WaitForAnEarlySecond();
    const SYSTEMTIME now = LocalNow();
    SYSTEMTIME target = LocalTimePlus(now, c.aheadSeconds);
    // A second ctest run sets the local clock (TZ) to shortly before midnight.
    if (!EnvironmentValue(L"TOLVANE_EXPECT_DAY_TURN").empty() && c.aheadSeconds > 0) {
        ASSERT_NE(target.wDay, now.wDay) << "the local clock does not stand in the last hour of a day: "
                                         << now.wHour << ":" << now.wMinute;
    }
    TypeTarget(target, c.fullWidth);
    if (HasFatalFailure()) return;
    // The moment the label counts toward: second 58 of the target minute.
    target.wSecond = 58;
    target.wMilliseconds = 0;

    const std::wstring before = TextOf(Label());
    DWORD startedAt = 0;
    ASSERT_TRUE(ClickStartOfCountdown(app(), &startedAt));

    // The first tick's label: the size of the time to the target, less one
    // second while the target is ahead.
    std::wstring shown;
    ASSERT_TRUE(WaitForLabelChange(Label(), before, &shown, nullptr, 3000)) << "no tick within 3 s";
    const long long expected = SecondsBetween(LocalNow(), target) - 1;
    Remaining remaining;
    ASSERT_TRUE(ParseRemaining(shown, &remaining)) << Utf8(shown);
    EXPECT_LE(std::llabs(remaining.Total() - expected), 2) << Utf8(shown) << ", expected about " << expected << " s";

    if (c.aheadSeconds == 0) {
        // Reached at the first tick: one hidden release, then the worker is gone.
        ASSERT_TRUE(app().Log().WaitForRuns(1, 4000)) << "no release";
        const DWORD after = GetTickCount() - startedAt;
        EXPECT_LE(after, 2500u) << "release " << after << " ms after Start";
        Pause(2500);
        std::vector<ToolRun> runs = app().Log().Runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_TRUE(IsRun(runs[0], L"ipconfig /release")) << Utf8(runs[0].line);
        EXPECT_EQ(Utf8(runs[0].show), "hidden");
        EXPECT_EQ(Utf8(TextOf(Label())), Utf8(shown)) << "the label was written after the release";
        EXPECT_FALSE(StartEnabled(app()));
    } else {
        // An hour ahead: about 0天1时0分…秒, counting down, and no command.
        EXPECT_EQ(remaining.days, 0);
        EXPECT_EQ(remaining.hours, 1);
        EXPECT_EQ(remaining.minutes, 0);
        std::wstring next;
        ASSERT_TRUE(WaitForLabelChange(Label(), shown, &next, nullptr, 3000)) << "no second tick";
        Remaining later;
        ASSERT_TRUE(ParseRemaining(next, &later)) << Utf8(next);
        // One tick later; a tick lasts a little over a second, so now and then
        // the clock moves on by two.
        const long long step = remaining.Total() - later.Total();
        EXPECT_TRUE(step == 1 || step == 2) << Utf8(shown) << " then " << Utf8(next);
        Pause(2000);
        EXPECT_EQ(app().Log().Lines().size(), 0u);
        EXPECT_FALSE(StartEnabled(app()));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, DateCountdown,
                         ::testing::Values(Case{"CurrentMinute", 0, false}, Case{"CurrentMinuteFullWidth", 0, true},
                                           Case{"OneHourAhead", 3600, false},
                                           Case{"OneHourAheadFullWidth", 3600, true}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
