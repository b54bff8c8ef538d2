// Text, number and date-time conversions. Portable: no window system here; the
// clock is reached only through ReadLocalClock.
//
// The arithmetic is meant to the last bit of a double (the countdown display
// truncates values that lie a hair from a whole count); the 32-bit Windows build
// therefore computes with SSE2, never with the x87 unit's extended precision.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "build with SSE2 arithmetic (-msse2 -mfpmath=sse)"
#endif

#include "runtime/conversions.h"

#include <cmath>
#include <cstring>

#include "app/fatal.h"
#include "runtime/clock.h"

namespace {

// One second in days: the double nearest 1/86400.
constexpr double SecondInDays = 1.1574074074074073e-05;
// Half a second in days. The seconds difference adds it to a count of seconds.
constexpr double HalfSecondInDays = 5.787037037037037e-06;
static_assert(SecondInDays == 1.0 / 86400.0, "one second in days");

// Days from 1970-01-01 to the given proleptic Gregorian date.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Day 0 of the DateTime scale, 1899-12-30, counted from 1970-01-01.
constexpr int64_t DayZero = DaysFromCivil(1899, 12, 30);
static_assert(DaysFromCivil(2019, 2, 1) - DayZero == 43497, "2019-02-01 is day 43497");
static_assert(DaysFromCivil(100, 1, 1) - DayZero == -657434, "0100-01-01 is day -657434");
static_assert(DaysFromCivil(9999, 12, 31) - DayZero == 2958465, "9999-12-31 is day 2958465");

void CivilFromDays(int64_t days, int32_t& year, int32_t& month, int32_t& day) {
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int32_t>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = static_cast<int32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t DaysInMonth(int32_t year, int32_t month) {
    static const int32_t lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

// The low 32 bits of a 64-bit integer, read as a signed 32-bit integer.
int32_t Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

// x truncated toward zero to a 64-bit integer. Values that no 64-bit integer
// holds (and NaN) give the most negative one, as the x86 conversion does.
int64_t TruncateToInt64(double x) {
    if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<int64_t>(x);
}

// A DateTime on the continuous day scale: before day 0 the time of day counts
// backward, so it is mirrored within its day (-1.25 counts as -0.75).
double ContinuousDays(DateTime value) { return value >= 0.0 ? value : 2.0 * std::ceil(value) - value; }

// A date-time as seconds from 1970-01-01 00:00:00, from its rounded parts.
int64_t SecondsOf(const DateTimeParts& parts) {
    return DaysFromCivil(parts.year, parts.month, parts.day) * 86400 + parts.hour * 3600 + parts.minute * 60 +
           parts.second;
}

// Whole calendar months from `earlier` to `later` (earlier <= later): the month
// count, less one when the later one's day and time of day fall before the
// earlier one's (2019-01-31 to 2019-02-28 is no whole month).
int64_t WholeMonthsBetween(const DateTimeParts& earlier, const DateTimeParts& later) {
    int64_t months = (static_cast<int64_t>(later.year) - earlier.year) * 12 + (later.month - earlier.month);
    const int64_t laterRest = static_cast<int64_t>(later.day) * 86400 + later.hour * 3600 + later.minute * 60 + later.second;
    const int64_t earlierRest =
        static_cast<int64_t>(earlier.day) * 86400 + earlier.hour * 3600 + earlier.minute * 60 + earlier.second;
    if (laterRest < earlierRest) --months;
    return months;
}

// ---- full-width fold

// Folds the character at `at`, which is not the terminating NUL: writes what
// it becomes (0 to 2 bytes) to `out`, returns that count and moves `at` past it.
inline int FoldCharacter(const unsigned char*& at, unsigned char* out) {
    const unsigned char lead = at[0];
    if (lead < 0x80) {
        out[0] = lead;
        at += 1;
        return 1;
    }
    const unsigned char trail = at[1];
    if (trail == 0) { // a lone lead byte at the end is dropped
        at += 1;
        return 0;
    }
    at += 2;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) { // full-width "！" to "￣"
        out[0] = static_cast<unsigned char>(trail - 0x80);
        return 1;
    }
    if (lead == 0xA1 && (trail == 0xA1 || trail == 0xAB || trail == 0xEE || trail == 0xEF)) {
        out[0] = trail == 0xA1 ? ' ' : trail == 0xAB ? '~' : '*'; // ideographic space, ～, ☆ and ★
        return 1;
    }
    out[0] = lead;
    out[1] = trail;
    return 2;
}

const unsigned char* Bytes(const char* text) { return reinterpret_cast<const unsigned char*>(text != nullptr ? text : ""); }

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsWhiteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The integer at the start of the folded text, its digits accumulated modulo
// 2^64: white space, an optional sign, then digits up to the first other
// character. Reads the fold character by character, so it needs no copy: every
// step stops at the first byte of a two-byte character the fold leaves.
uint64_t LeadingInteger(const char* text) {
    const unsigned char* at = Bytes(text);
    unsigned char c[2] = {0, 0};
    int length = 0;
    // The next folded character that is not empty; length 0 at the end.
    auto next = [&at, &c, &length]() {
        length = 0;
        while (length == 0 && *at != 0) length = FoldCharacter(at, c);
    };
    next();
    while (length == 1 && IsWhiteSpace(c[0])) next();
    bool negative = false;
    if (length == 1 && (c[0] == '+' || c[0] == '-')) {
        negative = c[0] == '-';
        next();
    }
    uint64_t value = 0;
    while (length == 1 && IsDigit(c[0])) {
        value = value * 10u + static_cast<uint64_t>(c[0] - '0');
        next();
    }
    return negative ? 0u - value : value;
}

// ---- date-time parsing

// The fields and separators of a date-time take at most 24 bytes of the folded
// text, and "秒" two more, so the parse folds only a prefix of that size and
// notes whether more follows.
constexpr int ParsePrefixCapacity = 32;

struct ParseCursor {
    unsigned char folded[ParsePrefixCapacity + 2];
    int length;
    bool more; // the folded text goes on past `length`
    int at;
};

int32_t ReadField(ParseCursor& cursor, int maxDigits) {
    int32_t value = 0;
    for (int i = 0; i < maxDigits && IsDigit(cursor.folded[cursor.at]); ++i) {
        value = value * 10 + (cursor.folded[cursor.at] - '0');
        ++cursor.at;
    }
    return value;
}

// Consumes one separator when it stands at the cursor: "-", ".", "/", ":", the
// blank when allowed, or the two-byte mark.
void SkipSeparator(ParseCursor& cursor, const char* mark, bool blankAllowed) {
    const unsigned char c = cursor.folded[cursor.at];
    if (c == '-' || c == '.' || c == '/' || c == ':' || (blankAllowed && c == ' ')) {
        ++cursor.at;
    } else if (c == static_cast<unsigned char>(mark[0]) &&
               cursor.folded[cursor.at + 1] == static_cast<unsigned char>(mark[1])) {
        cursor.at += 2;
    }
}

// A new block for a result of `length` bytes and its NUL. A result too long for
// a Text is a request the heap cannot meet: the size -1 sends it down the
// heap's fatal path.
Text AllocateResult(size_t length) {
    return AllocateText(length < static_cast<size_t>(INT32_MAX) ? static_cast<int32_t>(length + 1) : -1);
}

} // namespace

// ---- date-time

DateTime ClampDateTime(DateTime value) {
    if (value > LatestDateTimeDay) return LatestDateTimeDay;
    if (!(value >= EarliestDateTime)) return EarliestDateTime; // also NaN
    return value;
}

DateTimeParts SplitDateTime(DateTime value) {
    // Exact for every value the encoding makes, including the hours of the
    // first and last days that ClampDateTime cuts off. NaN and values millions
    // of days out name no date-time: they are clamped, so any double splits.
    if (!(std::fabs(value) < 1e7)) value = ClampDateTime(value);
    const double rounded = value > 0.0 ? value + HalfSecondInDays : value - HalfSecondInDays;
    const double magnitude = std::fabs(rounded);
    const int64_t dayNumber = static_cast<int64_t>(rounded);
    int32_t secondOfDay = static_cast<int32_t>((magnitude - std::floor(magnitude)) * 86400.0);
    if (secondOfDay > 86399) secondOfDay = 86399; // a fraction within a rounding error of 1
    DateTimeParts parts{};
    CivilFromDays(dayNumber + DayZero, parts.year, parts.month, parts.day);
    parts.hour = secondOfDay / 3600;
    parts.minute = secondOfDay / 60 % 60;
    parts.second = secondOfDay % 60;
    return parts;
}

DateTime EncodeDateTime(const DateTimeParts& parts) {
    const double dayNumber = static_cast<double>(DaysFromCivil(parts.year, parts.month, parts.day) - DayZero);
    const double timeOfDay = (parts.hour * 3600 + parts.minute * 60 + parts.second) * SecondInDays;
    return dayNumber >= 0.0 ? dayNumber + timeOfDay : dayNumber - timeOfDay;
}

DateTime CurrentDateTime() {
    const LocalClockReading now = ReadLocalClock();
    const DateTimeParts parts{now.year, now.month, now.day, now.hour, now.minute, now.second};
    return ClampDateTime(EncodeDateTime(parts));
}

int32_t YearOf(DateTime value) { return SplitDateTime(ClampDateTime(value)).year; }
int32_t MonthOf(DateTime value) { return SplitDateTime(ClampDateTime(value)).month; }
int32_t DayOf(DateTime value) { return SplitDateTime(ClampDateTime(value)).day; }
int32_t HourOf(DateTime value) { return SplitDateTime(ClampDateTime(value)).hour; }
int32_t MinuteOf(DateTime value) { return SplitDateTime(ClampDateTime(value)).minute; }

Text FoldFullWidth(const char* text) {
    const unsigned char* at = Bytes(text);
    size_t length = 0;
    unsigned char bytes[2];
    for (const unsigned char* p = at; *p != 0;) length += static_cast<size_t>(FoldCharacter(p, bytes));
    if (length == 0) return nullptr;
    Text result = AllocateResult(length);
    unsigned char* out = reinterpret_cast<unsigned char*>(result);
    for (const unsigned char* p = at; *p != 0;) out += FoldCharacter(p, out);
    *out = 0;
    return result;
}

DateTime ParseDateTime(const char* text) {
    ParseCursor cursor{};
    cursor.length = 0;
    cursor.more = false;
    cursor.at = 0;
    for (const unsigned char* p = Bytes(text); *p != 0;) {
        unsigned char bytes[2];
        const int length = FoldCharacter(p, bytes);
        if (cursor.length + length > ParsePrefixCapacity) {
            cursor.more = true;
            break;
        }
        for (int i = 0; i < length; ++i) cursor.folded[cursor.length++] = bytes[i];
    }
    if (cursor.length == 0 && !cursor.more) return EarliestDateTime;

    DateTimeParts parts{};
    parts.year = ReadField(cursor, 4);
    SkipSeparator(cursor, "\xC4\xEA", false); // 年
    parts.month = ReadField(cursor, 2);
    SkipSeparator(cursor, "\xD4\xC2", false); // 月
    parts.day = ReadField(cursor, 2);
    SkipSeparator(cursor, "\xC8\xD5", true); // 日, or the blank before the time
    parts.hour = ReadField(cursor, 2);
    SkipSeparator(cursor, "\xCA\xB1", false); // 时
    parts.minute = ReadField(cursor, 2);
    SkipSeparator(cursor, "\xB7\xD6", false); // 分
    parts.second = ReadField(cursor, 2);

    // The text ends here, or goes on with "秒" and whatever follows it.
    const bool atEnd = cursor.at == cursor.length && !cursor.more;
    const bool onSecondMark = cursor.folded[cursor.at] == 0xC3 && cursor.folded[cursor.at + 1] == 0xEB; // 秒
    if (!atEnd && !onSecondMark) return EarliestDateTime;

    if (parts.year < 100 || parts.year > 9999 || parts.month < 1 || parts.month > 12 || parts.day < 1 ||
        parts.day > DaysInMonth(parts.year, parts.month) || parts.hour > 23 || parts.minute > 59 ||
        parts.second > 59) {
        return EarliestDateTime;
    }
    return EncodeDateTime(parts);
}

double DateTimeDifference(DateTime first, DateTime second, int32_t unit) {
    if (unit < DifferenceYears) unit = DifferenceYears;
    if (unit > DifferenceSeconds) unit = DifferenceSeconds;
    if (first == second) return 0.0;
    first = ClampDateTime(first);
    second = ClampDateTime(second);

    if (unit == DifferenceSeconds) {
        // The half-second addend lifts a product a hair below a whole count back
        // onto it, and pulls an exact negative count one toward zero.
        const double span = ContinuousDays(first) - ContinuousDays(second);
        const double seconds = span * 86400.0;
        return static_cast<double>(Low32(TruncateToInt64(seconds + HalfSecondInDays)));
    }

    // The other units count whole units between the two date-times, each read
    // to the nearest second, truncated toward zero.
    const DateTimeParts a = SplitDateTime(first);
    const DateTimeParts b = SplitDateTime(second);
    const int64_t seconds = SecondsOf(a) - SecondsOf(b);
    int64_t count = 0;
    switch (unit) {
    case DifferenceYears:
    case DifferenceQuarters:
    case DifferenceMonths: {
        const int64_t months = seconds >= 0 ? WholeMonthsBetween(b, a) : -WholeMonthsBetween(a, b);
        count = unit == DifferenceYears ? months / 12 : unit == DifferenceQuarters ? months / 3 : months;
        break;
    }
    case DifferenceWeeks: count = seconds / (7 * 86400); break;
    case DifferenceDays: count = seconds / 86400; break;
    case DifferenceHours: count = seconds / 3600; break;
    default: count = seconds / 60; break;
    }
    return static_cast<double>(Low32(count));
}

// ---- numbers and texts

Text NumberToText(int32_t value) {
    char digits[12];
    int length = 0;
    // Digits from the lowest, on the magnitude as unsigned so that the most
    // negative value needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[length++] = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0);
    if (value < 0) digits[length++] = '-';
    Text result = AllocateText(length + 1);
    for (int i = 0; i < length; ++i) result[i] = digits[length - 1 - i];
    result[length] = '\0';
    return result;
}

Text NumberToText(const char* text) {
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length == 0) return nullptr;
    Text result = AllocateResult(length);
    std::memcpy(result, text, length + 1);
    return result;
}

int32_t TextToInt(const char* text) { return Low32(static_cast<int64_t>(LeadingInteger(text))); }

int32_t TextToInt(int32_t value) { return value; }

int64_t TextToInt64(const char* text) { return static_cast<int64_t>(LeadingInteger(text)); }

int32_t FloorToInt(double x) {
    // A positive value within 1e-12 below a whole number counts as that number.
    if (x > 0.0 && x - std::floor(x) > 0.999999999999) x = std::floor(x) + 1.0;
    return Low32(TruncateToInt64(std::floor(x)));
}

double RealModulo(double dividend, double divisor) {
    if (divisor == 0.0) FatalRuntimeError("\xB2\xBB\xC4\xDC\xC7\xF3\xD3\xE0\xCA\xFD\xD3\xDA\xC1\xE3"); // 不能求余数于零
    return std::fmod(dividend, divisor);
}

double RealIntegerDivide(double dividend, double divisor) {
    if (divisor == 0.0) FatalRuntimeError("\xB2\xBB\xC4\xDC\xD5\xFB\xB3\xFD\xD3\xDA\xC1\xE3"); // 不能整除于零
    const double quotient = dividend / divisor;
    return std::trunc(quotient);
}

namespace {

// The replacement walk, run twice by ReplaceText: once with `out` null to
// measure the result, once to write it. Returns the result's length.
size_t ReplaceWalk(const unsigned char* text, size_t length, const unsigned char* search, size_t searchLength,
                   const char* replacement, size_t replacementLength, size_t startIndex, int32_t count,
                   bool caseSensitive, char* out) {
    size_t written = 0;
    auto append = [&written, out](const void* bytes, size_t n) {
        if (out != nullptr && n != 0) std::memcpy(out + written, bytes, n);
        written += n;
    };
    append(text, startIndex);
    size_t at = startIndex;
    while (length - at >= searchLength) {
        bool match = true;
        for (size_t i = 0; i < searchLength && match; ++i) {
            unsigned char x = text[at + i];
            unsigned char y = search[i];
            if (!caseSensitive) {
                if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
                if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
            }
            match = x == y;
        }
        if (match) {
            append(replacement, replacementLength);
            at += searchLength;
            if (count > 0 && --count == 0) break;
        } else if (text[at] < 0x80) {
            append(text + at, 1);
            at += 1;
        } else if (at + 1 < length) {
            append(text + at, 2); // a two-byte character, never split
            at += 2;
        } else {
            at = length; // a lone lead byte at the end is dropped
            break;
        }
    }
    append(text + at, length - at);
    return written;
}

} // namespace

Text ReplaceText(const char* text, const char* search, const char* replacement, int32_t start, int32_t count,
                 bool caseSensitive) {
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    const size_t searchLength = search != nullptr ? std::strlen(search) : 0;
    const size_t startIndex = start < 1 ? 0 : static_cast<size_t>(start) - 1;
    if (length == 0 || searchLength == 0 || startIndex >= length || count == 0) return NumberToText(text);

    const unsigned char* bytes = Bytes(text);
    const unsigned char* searchBytes = Bytes(search);
    const char* replacementBytes = replacement != nullptr ? replacement : "";
    const size_t replacementLength = std::strlen(replacementBytes);
    const size_t resultLength = ReplaceWalk(bytes, length, searchBytes, searchLength, replacementBytes,
                                            replacementLength, startIndex, count, caseSensitive, nullptr);
    if (resultLength == 0) return nullptr;
    Text result = AllocateResult(resultLength);
    ReplaceWalk(bytes, length, searchBytes, searchLength, replacementBytes, replacementLength, startIndex, count,
                caseSensitive, result);
    result[resultLength] = '\0';
    return result;
}
