// The conversions, natively and (the same file) as a Windows test under Wine.
// Chinese texts are written in UTF-8 here and turned into code page 936 bytes
// by Gbk(); texts with deliberately broken characters are written as escapes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef ReplaceText // commdlg.h's name for ReplaceTextA/W
#else
#include <iconv.h>
#endif

#include "runtime/conversions.h"

namespace {

std::string Gbk(const char* utf8) {
    const std::string source(utf8);
    if (source.empty()) return source;
#ifdef _WIN32
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, source.data(),
                                               static_cast<int>(source.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, source.data(), static_cast<int>(source.size()), &wide[0],
                        wideLength);
    const int length = WideCharToMultiByte(936, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(936, 0, wide.data(), wideLength, &result[0], length, nullptr, nullptr);
    return result;
#else
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "<no GBK converter>";
    std::string result(source.size() * 2, '\0');
    char* in = const_cast<char*>(source.data());
    size_t inLeft = source.size();
    char* out = &result[0];
    size_t outLeft = result.size();
    const size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1)) return "<not convertible>";
    result.resize(result.size() - outLeft);
    return result;
#endif
}

// A Text result as a string ("<null>" for null), released.
std::string Take(Text text) {
    if (text == nullptr) return "<null>";
    std::string copy(text);
    FreeText(text);
    return copy;
}

// Bytes shown as hex, for readable failures on code page 936 texts.
std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            shown += "\\x";
            shown += digits[c >> 4];
            shown += digits[c & 15];
        }
    }
    return shown;
}

DateTime At(int32_t y, int32_t m, int32_t d, int32_t h = 0, int32_t mi = 0, int32_t s = 0) {
    return EncodeDateTime(DateTimeParts{y, m, d, h, mi, s});
}

std::string Show(const DateTimeParts& p) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return text;
}

constexpr double SecondInDays = 1.1574074074074073e-05;

// ---- date-time encoding

TEST(DateTimeEncoding, EncodesAndSplitsKnownDates) {
    struct Case {
        DateTimeParts parts;
        double value;
    };
    const Case cases[] = {
        {{2019, 2, 1, 18, 30, 58}, 43497.77150462963},
        {{2019, 2, 1, 0, 0, 0}, 43497.0},
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 30, 6, 0, 0}, 0.25},
        {{1899, 12, 29, 6, 0, 0}, -1.25}, // time of day subtracted before day 0
        {{1899, 12, 29, 0, 0, 0}, -1.0},
        {{1899, 12, 29, 23, 59, 59}, -1.9999884259259257},
        {{1900, 3, 1, 0, 0, 0}, 61.0}, // 1900 is no leap year
        {{2000, 2, 29, 0, 0, 0}, 36585.0},
        {{100, 1, 1, 0, 0, 0}, -657434.0},
        {{100, 1, 1, 12, 0, 0}, -657434.5}, // below the clamp: the time counts down
        {{9999, 12, 31, 23, 59, 59}, 2958465.999988426},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeDateTime(c.parts), c.value) << Show(c.parts);
        EXPECT_EQ(Show(SplitDateTime(c.value)), Show(c.parts)) << c.value;
    }
}

TEST(DateTimeEncoding, SplitRoundsToTheNearestSecond) {
    const double base = 43497.77150462963; // 2019-02-01 18:30:58
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {base + 0.4 * SecondInDays, "2019-02-01 18:30:58"},
        {base - 0.4 * SecondInDays, "2019-02-01 18:30:58"},
        {base + 0.6 * SecondInDays, "2019-02-01 18:30:59"},
        {base - 0.6 * SecondInDays, "2019-02-01 18:30:57"},
        {43497.0 - 0.3 * SecondInDays, "2019-02-01 00:00:00"}, // rounds up across midnight
        {-1.25 - 0.4 * SecondInDays, "1899-12-29 06:00:00"},   // below 0 the rounding goes down
        {-1.25 + 0.4 * SecondInDays, "1899-12-29 06:00:00"},
        {-0.0, "1899-12-30 00:00:00"},
        {3000000.0, "10113-09-19 00:00:00"}, // not clamped here: the part extractors clamp
        {-700000.0, "-017-06-18 00:00:00"},
        {1e300, "9999-12-31 00:00:00"}, // no date-time at all: clamped
        {std::numeric_limits<double>::infinity(), "9999-12-31 00:00:00"},
        {std::numeric_limits<double>::quiet_NaN(), "0100-01-01 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(Show(SplitDateTime(c.value)), c.expected) << c.value;
}

TEST(DateTimeEncoding, ClampKeepsTheRange) {
    const double cases[][2] = {
        {2958465.0, 2958465.0}, {2958465.25, 2958465.0}, {1e300, 2958465.0},       {-657434.0, -657434.0},
        {-657434.5, -657434.0}, {-1e300, -657434.0},     {43497.5, 43497.5},        {-1.25, -1.25},
    };
    for (const auto& c : cases) EXPECT_EQ(ClampDateTime(c[0]), c[1]) << c[0];
}

TEST(DateTimeParts, ExtractorsClampAndRound) {
    struct Case {
        double value;
        int32_t year, month, day, hour, minute;
    };
    const Case cases[] = {
        {-657434.0, 100, 1, 1, 0, 0},
        {-1e9, 100, 1, 1, 0, 0},
        {3000000.0, 9999, 12, 31, 0, 0},
        {2958465.5, 9999, 12, 31, 0, 0}, // 12:00 on the last day, clamped to its start
        {-657434.5, 100, 1, 1, 0, 0},    // 12:00 on the first day, likewise
        {43497.77150462963, 2019, 2, 1, 18, 30},
        {At(2019, 12, 28, 23, 59, 59) + 0.6 * SecondInDays, 2019, 12, 29, 0, 0},
        {-1.25, 1899, 12, 29, 6, 0},
        {At(2020, 2, 29, 7, 5), 2020, 2, 29, 7, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(YearOf(c.value), c.year) << c.value;
        EXPECT_EQ(MonthOf(c.value), c.month) << c.value;
        EXPECT_EQ(DayOf(c.value), c.day) << c.value;
        EXPECT_EQ(HourOf(c.value), c.hour) << c.value;
        EXPECT_EQ(MinuteOf(c.value), c.minute) << c.value;
    }
}

// ---- full-width fold

TEST(FoldFullWidth, FoldsTheTableAndKeepsTheRest) {
    struct Case {
        std::string text;
        const char* expected; // null for a null result
    };
    const Case cases[] = {
        {Gbk("２０１９－２－１"), "2019-2-1"},
        {Gbk("！"), "!"},  // first of the A3 row
        {Gbk("￣"), "~"},  // last of the A3 row
        {Gbk("．／：＋"), "./:+"},
        {Gbk("ａＺ"), "aZ"},
        {Gbk("　"), " "},
        {Gbk("～"), "~"},
        {Gbk("☆★"), "**"},
        {Gbk("年月"), "\xC4\xEA\xD4\xC2"},
        {Gbk("、"), "\xA1\xA2"},          // A1 row outside the table
        {"\xA3\xA0", "\xA3\xA0"},          // A3 with a trail below A1
        {"\xA3\xFF", "\xA3\xFF"},          // and above FE
        {"\xA3" "1", "\xA3" "1"},          // a lead byte takes the next byte whatever it is
        {"a\xA3", "a"},                   // lone lead byte at the end dropped
        {"\xA3", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        const std::string result = Take(FoldFullWidth(c.text.c_str()));
        EXPECT_EQ(Hex(result), c.expected != nullptr ? Hex(c.expected) : "<null>") << Hex(c.text);
    }
    EXPECT_EQ(FoldFullWidth(nullptr), nullptr);
}

// ---- ParseDateTime

TEST(ParseDateTime, ReadsEveryFormAndRejectsInvalidOnes) {
    const DateTimeParts fails{0, 0, 0, 0, 0, 0};
    struct Case {
        std::string text;
        DateTimeParts expected; // `fails` for -657434.0 by failure
    };
    const std::string longTail(40, 'x');
    const Case cases[] = {
        // Chinese marks, as the date countdown builds them.
        {Gbk("2019年2月1日18时30分58秒"), {2019, 2, 1, 18, 30, 58}},
        {Gbk("2019年12月28日18时30分58秒"), {2019, 12, 28, 18, 30, 58}},
        {Gbk("2019年02月01日08时05分09秒"), {2019, 2, 1, 8, 5, 9}},
        {Gbk("2019年2月1日18时分58秒"), {2019, 2, 1, 18, 0, 58}}, // missing minute reads 0
        {Gbk("2019年2月1日时分秒"), {2019, 2, 1, 0, 0, 0}},
        {Gbk("2019年2月1日18时30分58秒后"), {2019, 2, 1, 18, 30, 58}}, // text after 秒 ignored
        {Gbk("2019年2月1日18时30分58秒") + longTail, {2019, 2, 1, 18, 30, 58}},
        {Gbk("2019年2月1日18时30分58"), {2019, 2, 1, 18, 30, 58}},
        {Gbk("2019-2-1秒"), {2019, 2, 1, 0, 0, 0}},
        {Gbk("2019年2-1日"), {2019, 2, 1, 0, 0, 0}}, // marks and signs mix
        // Separators and digits only.
        {"2019-2-1", {2019, 2, 1, 0, 0, 0}},
        {"2019/02/01", {2019, 2, 1, 0, 0, 0}},
        {"2019.2.1", {2019, 2, 1, 0, 0, 0}},
        {"2019:2:1", {2019, 2, 1, 0, 0, 0}},
        {"2019-2-1 18:30", {2019, 2, 1, 18, 30, 0}},
        {"2019-2-1 18:30:58", {2019, 2, 1, 18, 30, 58}},
        {"2019-2-1-18-30-58", {2019, 2, 1, 18, 30, 58}},
        {"201902011830", {2019, 2, 1, 18, 30, 0}},
        {"20190201183058", {2019, 2, 1, 18, 30, 58}},
        {"2019-2-100", {2019, 2, 10, 0, 0, 0}}, // a day reads two digits at most; the third is the hour
        {"2019-2-1 ", {2019, 2, 1, 0, 0, 0}},    // one blank after the day
        {"100-1-1", {100, 1, 1, 0, 0, 0}},
        {"9999-12-31 23:59:59", {9999, 12, 31, 23, 59, 59}},
        // Full-width forms fold first.
        {Gbk("２０１９－２－１"), {2019, 2, 1, 0, 0, 0}},
        {Gbk("２０１９－０２－０１　１８：３０：５８"), {2019, 2, 1, 18, 30, 58}}, // 38 bytes folding to 19
        {Gbk("2019-2-1０"), {2019, 2, 10, 0, 0, 0}},
        {"2019-2-1\xA3", {2019, 2, 1, 0, 0, 0}}, // a lone lead byte at the end is dropped
        // Leap years and month lengths.
        {Gbk("2020年2月29日0时0分58秒"), {2020, 2, 29, 0, 0, 58}},
        {"2000-2-29", {2000, 2, 29, 0, 0, 0}},
        {Gbk("1900年2月29日0时0分58秒"), fails},
        {"2019-2-29", fails},
        {"2019-4-30", {2019, 4, 30, 0, 0, 0}},
        {"2019-4-31", fails},
        {"2019-12-31", {2019, 12, 31, 0, 0, 0}},
        // Ranges.
        {Gbk("2019年2月30日18时30分58秒"), fails},
        {Gbk("2019年13月1日0时0分58秒"), fails},
        {Gbk("2019年2月1日24时0分58秒"), fails},
        {Gbk("2019年2月1日18时60分58秒"), fails},
        {"2019-2-1 0:0:60", fails},
        {"2019-0-1", fails},
        {"2019-1-0", fails},
        {"99-1-1", fails},
        {"10000-1-1", fails},
        // Missing date fields and misplaced text.
        {Gbk("年2月1日18时30分58秒"), fails},
        {"2019-2", fails},
        {" 2019-2-1", fails},
        {"2019-2-1  ", fails},
        {"2019-2-1x", fails},
        {"2019-2-1 18:30:58 ", fails},
        {"2019-2-1" + std::string(40, ' '), fails},
        {Gbk("2019年2月1日18时30分58分"), fails},
        {"2019-2-1\xA3\xB0" "x", fails},
        {Gbk("　"), fails},
        {"\xA3", fails},
        {"", fails},
    };
    for (const Case& c : cases) {
        const DateTime result = ParseDateTime(c.text.c_str());
        if (c.expected.year == 0) {
            EXPECT_EQ(result, -657434.0) << Hex(c.text);
        } else {
            EXPECT_EQ(result, EncodeDateTime(c.expected)) << Hex(c.text) << " gives " << Show(SplitDateTime(result));
        }
    }
    EXPECT_EQ(ParseDateTime(nullptr), -657434.0);
    EXPECT_EQ(ParseDateTime(Gbk("2019年2月1日18时30分58秒").c_str()), 43497.77150462963);
}

// ---- DateTimeDifference

TEST(DateTimeDifference, CountsSecondsAsTheCountdownSeesThem) {
    const DateTime start = At(2019, 2, 1, 18);
    const DateTime target = At(2019, 2, 1, 18, 30, 58);
    struct Case {
        DateTime first, second;
        int32_t unit;
        double expected;
    };
    const Case cases[] = {
        {start, target, 8, -1857.0}, // N seconds before gives -(N - 1)
        {target, start, 8, 1858.0},  // N seconds after gives N
        {target, target, 8, 0.0},
        {start, At(2019, 2, 1, 18, 0, 1), 8, 0.0},
        {At(2019, 2, 1, 18, 0, 1), start, 8, 1.0},
        {start, -657434.0, 8, 430961056.0}, // 60560503200 seconds, low 32 bits
        {2958465.0, -657434.0, 8, -1118939008.0},
        {-657434.0, 2958465.0, 8, 1118939008.0},
        {start, target, 9, -1857.0}, // units above 8 count as 8
        {start, target, 2147483647, -1857.0},
        // The continuous scale before day 0.
        {-1.25, 0.25, 8, -86399.0},
        {0.25, -1.25, 8, 86400.0},
        {-1.25, -1.0, 8, 21600.0},
        {-1.0, -1.25, 8, -21599.0},
        // Clamped after the equality test.
        {3000000.0, 2958465.0, 8, 0.0},
        {2958465.5, 2958465.0, 8, 0.0},
        {-700000.0, -657434.0, 8, 0.0},
        {-700000.0, At(100, 1, 1, 0, 0, 1), 8, 0.0},
        // Near the top of the range a second is within the rounding of a day
        // count, so the addend no longer lifts every product.
        {2958465.0, At(9999, 12, 30, 23, 59, 59), 8, 1.0},
        {2958465.0, At(9999, 12, 30, 23, 59, 58), 8, 1.0},
        {2958465.0, At(9999, 12, 30, 23, 59, 57), 8, 2.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateTimeDifference(c.first, c.second, c.unit), c.expected)
            << Show(SplitDateTime(c.first)) << " - " << Show(SplitDateTime(c.second)) << " unit " << c.unit;
    }
}

TEST(DateTimeDifference, CountsWholeCalendarUnitsTowardZero) {
    struct Case {
        DateTime first, second;
        int32_t unit;
        double expected;
    };
    const Case cases[] = {
        // Years (also for units below 1), quarters, months: whole calendar months.
        {At(2019, 2, 1), At(2018, 2, 1), 1, 1.0},
        {At(2019, 1, 31), At(2018, 2, 1), 1, 0.0},
        {At(2018, 2, 1), At(2019, 2, 1), 1, -1.0},
        {At(2018, 2, 1), At(2019, 1, 31), 1, 0.0},
        {At(2019, 2, 1), At(2018, 2, 1), 0, 1.0},
        {At(2019, 2, 1), At(2018, 2, 1), -5, 1.0},
        {At(9999, 12, 31), At(100, 1, 1), 1, 9899.0},
        {At(2019, 5, 1), At(2019, 2, 1), 2, 1.0},
        {At(2019, 4, 30, 23, 59, 59), At(2019, 2, 1), 2, 0.0},
        {At(2019, 2, 1), At(2019, 5, 1), 2, -1.0},
        {At(2019, 3, 31), At(2019, 1, 31), 3, 2.0},
        {At(2019, 2, 28), At(2019, 1, 31), 3, 0.0},
        {At(2019, 1, 31), At(2019, 2, 28), 3, 0.0},
        {At(2019, 3, 1), At(2019, 2, 1, 0, 0, 1), 3, 0.0},
        {At(2019, 2, 1, 0, 0, 1), At(2019, 3, 1), 3, 0.0},
        {At(2020, 1, 1), At(2019, 2, 1, 18, 30), 3, 10.0},
        {-1.25, At(1899, 11, 29, 6), 3, 1.0},
        // Weeks, days, hours, minutes: whole spans of that many seconds.
        {At(2019, 2, 15), At(2019, 2, 1), 4, 2.0},
        {At(2019, 2, 14, 23, 59, 59), At(2019, 2, 1), 4, 1.0},
        {At(2019, 2, 1), At(2019, 2, 14), 4, -1.0},
        {At(2019, 2, 2, 18), At(2019, 2, 1, 18), 5, 1.0},
        {At(2019, 2, 2, 18), At(2019, 2, 1, 18, 0, 1), 5, 0.0},
        {At(2019, 2, 1, 18), At(2019, 2, 2, 18), 5, -1.0},
        {-1.25, 0.25, 5, -1.0},
        {0.25, -1.25, 5, 1.0},
        {At(2019, 2, 1, 19), At(2019, 2, 1, 18), 6, 1.0},
        {At(2019, 2, 1, 18), At(2019, 2, 1, 18, 30, 58), 6, 0.0},
        {At(2019, 2, 1, 18), At(2019, 2, 1, 18, 30, 58), 7, -30.0},
        {At(2019, 2, 1, 18, 30, 58), At(2019, 2, 1, 18), 7, 30.0},
        {At(9999, 12, 31), At(100, 1, 1), 7, 911927264.0}, // 5206894560 minutes, low 32 bits
        {At(2019, 2, 1, 18), At(2019, 2, 1, 18), 3, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateTimeDifference(c.first, c.second, c.unit), c.expected)
            << Show(SplitDateTime(c.first)) << " - " << Show(SplitDateTime(c.second)) << " unit " << c.unit;
    }
}

// ---- NumberToText

TEST(NumberToText, WritesDecimalDigits) {
    struct Case {
        int32_t value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},           {7, "7"},
        {2019, "2019"},     {-1857, "-1857"},
        {-1, "-1"},         {1000000, "1000000"},
        {2147483647, "2147483647"}, {std::numeric_limits<int32_t>::min(), "-2147483648"},
    };
    for (const Case& c : cases) EXPECT_EQ(Take(NumberToText(c.value)), c.expected) << c.value;
}

TEST(NumberToText, CopiesATextAndGivesNullForEmpty) {
    const std::string texts[] = {"2019", Gbk("年"), "\xA3", "x"};
    for (const std::string& text : texts) {
        Text copy = NumberToText(text.c_str());
        ASSERT_NE(copy, nullptr) << Hex(text);
        EXPECT_NE(static_cast<const void*>(copy), static_cast<const void*>(text.c_str()));
        EXPECT_EQ(Take(copy), text);
    }
    EXPECT_EQ(NumberToText(""), nullptr);
    EXPECT_EQ(NumberToText(static_cast<const char*>(nullptr)), nullptr);
}

// ---- TextToInt, TextToInt64

TEST(TextToInt, ReadsTheLeadingNumberAndWraps) {
    struct Case {
        std::string text;
        int32_t expected;
    };
    const Case cases[] = {
        {" +60", 60},
        {Gbk("６０"), 60},
        {"12.5", 12},
        {"", 0},
        {"abc", 0},
        {Gbk("60分"), 60},
        {"2147483647", 2147483647},
        {"2147483648", std::numeric_limits<int32_t>::min()},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"-2147483649", 2147483647},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959}, // modulo 2^64 first, then the low 32 bits
        {"\t\n\v\f\r 42", 42},
        {"007", 7},
        {"-0", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"--5", 0},
        {"5-3", 5},
        {"0x1A", 0},
        {Gbk("－５"), -5},
        {Gbk("＋５"), 5},
        {Gbk("　５"), 5},
        {Gbk("年5"), 0},
        {"5\xA3", 5},
        {"\xA3", 0},
        {"\xA3" "5", 0}, // the digit is the second byte of a character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt(c.text.c_str()), c.expected) << Hex(c.text);
        EXPECT_EQ(TextToInt(c.text.c_str()),
                  static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(TextToInt64(c.text.c_str())))))
            << Hex(c.text);
    }
    EXPECT_EQ(TextToInt(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(TextToInt(7), 7);
    EXPECT_EQ(TextToInt(std::numeric_limits<int32_t>::min()), std::numeric_limits<int32_t>::min());
}

TEST(TextToInt64, ReadsTheLeadingNumberAndWraps) {
    struct Case {
        std::string text;
        int64_t expected;
    };
    const Case cases[] = {
        {"-1857", -1857},
        {"1857", 1857},
        {"9223372036854775807", std::numeric_limits<int64_t>::max()},
        {"9223372036854775808", std::numeric_limits<int64_t>::min()},
        {"-9223372036854775809", std::numeric_limits<int64_t>::max()},
        {"18446744073709551617", 1},
        {Gbk("４２９４９６７２９７"), 4294967297},
        {" \t-42x", -42},
        {"", 0},
        {"\xA3", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToInt64(c.text.c_str()), c.expected) << Hex(c.text);
    EXPECT_EQ(TextToInt64(nullptr), 0);
}

// ---- FloorToInt, RealModulo, RealIntegerDivide

TEST(FloorToInt, FloorsWithTheNearWholeRule) {
    struct Case {
        double x;
        int32_t expected;
    };
    const Case cases[] = {
        {2.9999999999995, 3}, // within 1e-12 below 3
        {2.9999999, 2},
        {0.9999999999995, 1},
        {-2.9999999999995, -3}, // the rule holds for positive values only
        {-0.5, -1},
        {86399.0 / 86400.0, 0},
        {1858.0 / 60.0, 30},
        {0.0, 0},
        {-0.0, 0},
        {5.0, 5},
        {-5.0, -5},
        {3000000000.0, -1294967296},
        {4294967301.0, 5},
        {-2147483649.0, 2147483647},
        // No 64-bit integer holds these: the most negative one stands in, whose
        // low 32 bits are 0.
        {1e300, 0},
        {-std::numeric_limits<double>::infinity(), 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(FloorToInt(c.x), c.expected) << c.x;
}

TEST(RealModulo, KeepsTheDividendsSign) {
    const double cases[][3] = {
        {-7.0, 3.0, -1.0},        {7.0, -3.0, 1.0},     {7.0, 3.0, 1.0},        {-7.0, -3.0, -1.0},
        {1858.0, 60.0, 58.0},     {5.5, 2.0, 1.5},      {31536001.0, 31536000.0, 1.0},
        {86399.0, 86400.0, 86399.0}, {0.3, 0.1, 0.09999999999999998},
    };
    for (const auto& c : cases) EXPECT_EQ(RealModulo(c[0], c[1]), c[2]) << c[0] << " mod " << c[1];
}

TEST(RealIntegerDivide, TruncatesTheRoundedQuotient) {
    const double cases[][3] = {
        {-7.0, 2.0, -3.0}, {7.0, 2.0, 3.0},       {1858.0, 60.0, 30.0},
        {86399.0, 86400.0, 0.0}, {0.3, 0.1, 2.0}, // 0.3 / 0.1 rounds to 2.9999999999999996
    };
    for (const auto& c : cases) EXPECT_EQ(RealIntegerDivide(c[0], c[1]), c[2]) << c[0] << " div " << c[1];
    const double negativeZero = RealIntegerDivide(-1.0, 60.0);
    EXPECT_EQ(negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero));
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
// The native fatal path prints the message and exits with -1.
TEST(ZeroDivisorDeathTest, EndsTheProcessWithTheMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string modulo = "FatalRuntimeError: " + Gbk("不能求余数于零");
    const std::string divide = "FatalRuntimeError: " + Gbk("不能整除于零");
    EXPECT_EXIT(RealModulo(5.0, 0.0), ::testing::ExitedWithCode(255), modulo);
    EXPECT_EXIT(RealModulo(5.0, -0.0), ::testing::ExitedWithCode(255), modulo);
    EXPECT_EXIT(RealIntegerDivide(5.0, 0.0), ::testing::ExitedWithCode(255), divide);
    EXPECT_EXIT(RealIntegerDivide(0.0, -0.0), ::testing::ExitedWithCode(255), divide);
}
#endif

// ---- ReplaceText

TEST(ReplaceText, ReplacesWholeCharactersFromTheStart) {
    struct Case {
        std::string text, search, replacement;
        int32_t start, count;
        bool caseSensitive;
        const char* expected; // null for a null result
    };
    const int32_t all = -1;
    const Case cases[] = {
        // The date countdown's sign removal.
        {"-1857", "-", "", 1, 1, true, "1857"},
        {"1857", "-", "", 1, 1, true, "1857"},
        {"--5", "-", "", 1, 1, true, "-5"},
        {Gbk("年-"), "-", "", 1, 1, true, "\xC4\xEA"},
        {"-", "-", "", 1, 1, true, nullptr}, // empty result
        // Start and count.
        {"a-b-c", "-", "", 3, all, true, "a-bc"},
        {"a-b-c", "-", "", 2, all, true, "abc"},
        {"a-b-c", "-", "", 4, all, true, "a-bc"},
        {"a-b-c", "-", "", 5, all, true, "a-b-c"},
        {"a-b-c", "-", "", 6, all, true, "a-b-c"}, // start past the end: a copy
        {"a-b-c", "-", "", 0, all, true, "abc"},   // below 1 counts as 1
        {"a-b-c", "-", "", std::numeric_limits<int32_t>::min(), all, true, "abc"},
        {"a-b-c", "-", "", 1, 0, true, "a-b-c"},
        {"a-b-c", "-", "", 1, 1, true, "ab-c"},
        {"a-b-c", "-", "", 1, 2, true, "abc"},
        {"a-b-c", "-", "", 1, -7, true, "abc"},
        {"-1-2", "-", "", 2, 1, true, "-12"},
        // Longer searches and replacements.
        {"a-b-c", "-", "--", 1, all, true, "a--b--c"},
        {"aaa", "aa", "b", 1, all, true, "ba"},
        {"abcabc", "bc", "", 1, all, true, "aa"},
        {"ab", "abc", "x", 1, all, true, "ab"},
        // Case.
        {"ABC", "b", "x", 1, all, false, "AxC"},
        {"ABC", "b", "x", 1, all, true, "ABC"},
        {"Hello HELLO hello", "hello", "x", 1, all, false, "x x x"},
        {"Hello HELLO hello", "hello", "x", 1, all, true, "Hello HELLO x"},
        // Two-byte characters: a match never starts on a second byte.
        {Gbk("X癆A"), "A", "", 1, all, true, "X\xB0\x41"},     // 癆 is B0 41
        {Gbk("癮"), "A", "", 1, all, false, "\xB0\x61"},        // 癮 is B0 61
        {Gbk("2019年2月"), Gbk("年"), "-", 1, all, true, "2019-2\xD4\xC2"},
        {Gbk("年年"), Gbk("年"), "", 1, 1, true, "\xC4\xEA"},
        {Gbk("癆A"), "A", "", 2, all, true, "\xB0"}, // a start inside a character counts bytes
        // A lone lead byte at the end: dropped by the walk, kept when the walk
        // stops before it, matched when it is the search.
        {"ab\xB0", "-", "", 1, all, true, "ab"},
        {"\xB0", "-", "", 1, all, true, nullptr},
        {"ab\xB0", "xy", "", 1, all, true, "ab\xB0"},
        {"ab\xB0", "\xB0", "c", 1, all, true, "abc"},
        {"-ab\xB0", "-", "", 1, 1, true, "ab\xB0"}, // the scan ended at the match
        // Empty operands.
        {"", "-", "", 1, 1, true, nullptr},
        {"a-b", "", "x", 1, all, true, "a-b"},
    };
    for (const Case& c : cases) {
        Text result = ReplaceText(c.text.c_str(), c.search.c_str(), c.replacement.c_str(), c.start, c.count,
                                  c.caseSensitive);
        EXPECT_NE(static_cast<const void*>(result), static_cast<const void*>(c.text.c_str()));
        EXPECT_EQ(Hex(Take(result)), c.expected != nullptr ? Hex(c.expected) : "<null>")
            << Hex(c.text) << " search " << Hex(c.search) << " start " << c.start << " count " << c.count;
    }
    EXPECT_EQ(Take(ReplaceText(nullptr, "-", "", 1, 1, true)), "<null>");
    EXPECT_EQ(Take(ReplaceText("a-b", nullptr, "x", 1, -1, true)), "a-b");
    EXPECT_EQ(Take(ReplaceText("a-b", "-", nullptr, 1, -1, true)), "ab");
}

} // namespace
