// ParseDateTime on arbitrary bytes (up to the first NUL). A result is either
// the failure value or a whole second in range whose parts, written back in
// either of the countdown's forms, parse to the same value; the parse reads
// the folded text, and "秒" with anything after it at the end changes nothing.
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/conversions.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsLeapYear(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DateTime value = ParseDateTime(text.c_str());

    const std::string folded = Folded(text.c_str());
    FUZZ_CHECK(ParseDateTime(folded.c_str()) == value);
    // 秒 ends the time; what follows it is ignored.
    FUZZ_CHECK(ParseDateTime((folded + "\xC3\xEB").c_str()) == value);
    FUZZ_CHECK(ParseDateTime((folded + "\xC3\xEB" + text).c_str()) == value);

    if (value == EarliestDateTime) return 0;
    FUZZ_CHECK(value > -657435.0 && value < 2958466.0);
    const DateTimeParts p = SplitDateTime(value);
    static const int32_t monthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    FUZZ_CHECK(p.year >= 100 && p.year <= 9999);
    FUZZ_CHECK(p.month >= 1 && p.month <= 12);
    FUZZ_CHECK(p.day >= 1 && p.day <= monthLengths[p.month - 1] + (p.month == 2 && IsLeapYear(p.year) ? 1 : 0));
    FUZZ_CHECK(p.hour >= 0 && p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 && p.second <= 59);
    FUZZ_CHECK(EncodeDateTime(p) == value); // a whole second

    char written[96];
    std::snprintf(written, sizeof written, "%d-%d-%d %d:%d:%d", p.year, p.month, p.day, p.hour, p.minute, p.second);
    FUZZ_CHECK(ParseDateTime(written) == value);
    // 年 月 日 时 分 秒
    std::snprintf(written, sizeof written, "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5%d\xCA\xB1%d\xB7\xD6%d\xC3\xEB", p.year,
                  p.month, p.day, p.hour, p.minute, p.second);
    FUZZ_CHECK(ParseDateTime(written) == value);
    return 0;
}
