// Time and text blocks per call of the conversions that a countdown tick makes.
// Each benchmark counts AllocateText calls in every iteration: the counter
// "blocks_per_call" is their mean, "most_blocks_in_one_call" the largest count
// seen. A call that takes more blocks than its result needs, or a block left
// unreleased, marks the benchmark as failed and makes the program end with
// exit code 1. Texts that a call hands back are released within the iteration,
// as the countdowns do, so the times include the release.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "runtime/conversions.h"
#include "tests/host/support/host_support.h"

namespace {

// The date countdown's target text with the window's initial combo texts:
// 2019年12月28日18时30分58秒
const char TargetText[] = "2019\xC4\xEA" "12\xD4\xC2" "28\xC8\xD5" "18\xCA\xB1" "30\xB7\xD6" "58\xC3\xEB";
// The same date-time as full-width digits and signs: ２０１９－１２－２８　１８：３０：５８
const char FullWidthText[] = "\xA3\xB2\xA3\xB0\xA3\xB1\xA3\xB9\xA3\xAD\xA3\xB1\xA3\xB2\xA3\xAD\xA3\xB2\xA3\xB8"
                             "\xA1\xA1\xA3\xB1\xA3\xB8\xA3\xBA\xA3\xB3\xA3\xB0\xA3\xBA\xA3\xB5\xA3\xB8";
// No 30 February: 2019年2月30日18时30分58秒
const char InvalidText[] = "2019\xC4\xEA" "2\xD4\xC2" "30\xC8\xD5" "18\xCA\xB1" "30\xB7\xD6" "58\xC3\xEB";

// A reading of the clock during a countdown: 2019-12-28 18:25:07.
const DateTime Now = 43827.0 + (18 * 3600 + 25 * 60 + 7) * 1.1574074074074073e-05;

// Benchmarks marked as failed.
int failures = 0;

template <typename T>
T Opaque(T value) {
    benchmark::DoNotOptimize(value);
    return value;
}

// Runs `call` once per iteration and reports the blocks it took.
template <typename Call>
void Measure(benchmark::State& state, int64_t blocksAllowed, Call call) {
    int64_t total = 0;
    int64_t most = 0;
    for (auto _ : state) {
        const int64_t before = HostAllocationCount();
        call();
        const int64_t taken = HostAllocationCount() - before;
        total += taken;
        if (taken > most) most = taken;
    }
    state.counters["blocks_per_call"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kAvgIterations);
    state.counters["most_blocks_in_one_call"] = static_cast<double>(most);
    if (most > blocksAllowed) {
        state.SkipWithError("a call took more text blocks than its result");
        ++failures;
    } else if (HostLiveTexts() != 0) {
        state.SkipWithError("a text block was left unreleased");
        ++failures;
    }
}

void ParseTarget(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(ParseDateTime(Opaque(TargetText))); });
}
BENCHMARK(ParseTarget);

void ParseDashes(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(ParseDateTime(Opaque("2019-12-28 18:30"))); });
}
BENCHMARK(ParseDashes);

void ParseFullWidth(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(ParseDateTime(Opaque(FullWidthText))); });
}
BENCHMARK(ParseFullWidth);

void ParseInvalid(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(ParseDateTime(Opaque(InvalidText))); });
}
BENCHMARK(ParseInvalid);

void TextToIntYear(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(TextToInt(Opaque("2019"))); });
}
BENCHMARK(TextToIntYear);

void TextToIntFullWidth(benchmark::State& state) {
    // ６０
    Measure(state, 0, [] { benchmark::DoNotOptimize(TextToInt(Opaque("\xA3\xB6\xA3\xB0"))); });
}
BENCHMARK(TextToIntFullWidth);

void TextToInt64Difference(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(TextToInt64(Opaque("1857"))); });
}
BENCHMARK(TextToInt64Difference);

void NumberToTextInteger(benchmark::State& state) {
    Measure(state, 1, [] {
        Text text = NumberToText(Opaque(int32_t{-1857}));
        benchmark::DoNotOptimize(text);
        FreeText(text);
    });
}
BENCHMARK(NumberToTextInteger);

void NumberToTextCopy(benchmark::State& state) {
    Measure(state, 1, [] {
        Text text = NumberToText(Opaque("2019"));
        benchmark::DoNotOptimize(text);
        FreeText(text);
    });
}
BENCHMARK(NumberToTextCopy);

void ReplaceSign(benchmark::State& state) {
    Measure(state, 1, [] {
        Text text = ReplaceText(Opaque("-1857"), "-", "", 1, 1, true);
        benchmark::DoNotOptimize(text);
        FreeText(text);
    });
}
BENCHMARK(ReplaceSign);

void DifferenceInSeconds(benchmark::State& state) {
    const DateTime target = ParseDateTime(TargetText);
    Measure(state, 0, [target] { benchmark::DoNotOptimize(DateTimeDifference(Opaque(Now), target, 8)); });
}
BENCHMARK(DifferenceInSeconds);

void FloorOfQuotient(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(FloorToInt(Opaque(1857.0) / 60.0)); });
}
BENCHMARK(FloorOfQuotient);

void ClockPart(benchmark::State& state) {
    Measure(state, 0, [] { benchmark::DoNotOptimize(MinuteOf(Opaque(Now))); });
}
BENCHMARK(ClockPart);

// The conversions of one date-countdown tick, without the clock readings, the
// control reads and the joins: five clock parts as texts, copies of the five
// combo texts, the parse of the target, the difference and its unsigned text,
// the split into days, hours, minutes and seconds and their texts, and the
// five comparisons of the target test. Sixteen texts are made and released.
void DateTick(benchmark::State& state) {
    static const char* const comboTexts[5] = {"2019", "12", "28", "18", "30"};
    Measure(state, 16, [] {
        const DateTime now = Opaque(Now);
        Text parts[5] = {NumberToText(YearOf(now)), NumberToText(MonthOf(now)), NumberToText(DayOf(now)),
                         NumberToText(HourOf(now)), NumberToText(MinuteOf(now))};
        for (const char* combo : comboTexts) FreeText(NumberToText(Opaque(combo)));
        const DateTime target = ParseDateTime(Opaque(TargetText));
        const int32_t difference = static_cast<int32_t>(DateTimeDifference(now, target, 8));
        Text signed_ = NumberToText(difference);
        Text unsigned_ = ReplaceText(signed_, "-", "", 1, 1, true);
        FreeText(signed_);
        int32_t remaining = static_cast<int32_t>(TextToInt64(unsigned_));
        FreeText(unsigned_);
        const int32_t days = FloorToInt(remaining / 86400.0);
        remaining = static_cast<int32_t>(remaining - days * 86400.0);
        const int32_t hours = FloorToInt(remaining / 3600.0);
        remaining = static_cast<int32_t>(remaining - hours * 3600.0);
        const int32_t minutes = FloorToInt(remaining / 60.0);
        const int32_t seconds = static_cast<int32_t>(remaining - minutes * 60.0);
        const int32_t shown[4] = {days, hours, minutes, seconds};
        for (int32_t value : shown) FreeText(NumberToText(value));
        bool reached = true;
        for (int i = 0; i < 5 && reached; ++i) {
            reached = i < 4 ? TextToInt(parts[i]) == TextToInt(comboTexts[i])
                            : TextToInt(parts[i]) >= TextToInt(comboTexts[i]);
        }
        benchmark::DoNotOptimize(reached);
        for (Text part : parts) FreeText(part);
    });
}
BENCHMARK(DateTick);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}
