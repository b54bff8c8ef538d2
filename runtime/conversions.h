// Text, number and date-time conversions. All pure but CurrentDateTime; none
// fails: failures give a defined value (0, null, or the earliest date-time).
#pragma once
#include <cstdint>

#include "app/text_heap.h"

// Local date-time: days since 1899-12-30, the time of day as seconds times the
// double nearest 1/86400 (subtracted before 1899-12-30).
using DateTime = double;

constexpr DateTime EarliestDateTime = -657434.0; // 0100-01-01 00:00:00
constexpr DateTime LatestDateTimeDay = 2958465.0; // 9999-12-31 00:00:00

DateTime CurrentDateTime();

DateTime ClampDateTime(DateTime value);

struct DateTimeParts {
    int32_t year, month, day, hour, minute, second;
};
// The parts of a value, rounded to the nearest second. Not clamped (the part
// extractors clamp first), but NaN and values far outside the range are.
DateTimeParts SplitDateTime(DateTime value);
DateTime EncodeDateTime(const DateTimeParts& parts); // parts must be valid

int32_t YearOf(DateTime value);
int32_t MonthOf(DateTime value);
int32_t DayOf(DateTime value);
int32_t HourOf(DateTime value);
int32_t MinuteOf(DateTime value);

// Folds the full-width forms, the ideographic space, "～", "☆" and "★" to
// ASCII and drops a lone lead byte at the end; a new Text, null when empty.
// ParseDateTime, TextToInt and TextToInt64 read their text through this fold.
Text FoldFullWidth(const char* text);

DateTime ParseDateTime(const char* text);

// Units of DateTimeDifference; below 1 counts as years, above 8 as seconds.
enum DifferenceUnit : int32_t {
    DifferenceYears = 1,
    DifferenceQuarters = 2,
    DifferenceMonths = 3,
    DifferenceWeeks = 4,
    DifferenceDays = 5,
    DifferenceHours = 6,
    DifferenceMinutes = 7,
    DifferenceSeconds = 8,
};
double DateTimeDifference(DateTime first, DateTime second, int32_t unit);

Text NumberToText(int32_t value);
Text NumberToText(const char* text);
int32_t TextToInt(const char* text);
int32_t TextToInt(int32_t value);
int64_t TextToInt64(const char* text);
int32_t FloorToInt(double x);
double RealModulo(double dividend, double divisor);
double RealIntegerDivide(double dividend, double divisor);
Text ReplaceText(const char* text, const char* search, const char* replacement,
                 int32_t start, int32_t count, bool caseSensitive);
