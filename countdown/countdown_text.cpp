// Text helpers shared by both countdown workers: text length, joining texts, the
// 32-bit truncation of reals, and the remaining-time text of the status label.
#include "countdown/countdown_text.h"

#include <cstdarg>
#include <cstring>

#include "runtime/conversions.h"

int32_t TextLength(const char* text) {
    if (text == nullptr) return 0;
    return static_cast<int32_t>(std::strlen(text));
}

Text JoinTexts(int32_t count, ...) {
    va_list items;

    // First pass: the total length of the items.
    int64_t total = 0;
    va_start(items, count);
    for (int32_t i = 0; i < count; ++i) total += TextLength(va_arg(items, const char*));
    va_end(items);

    // The text heap hands back an empty result as null, never as an empty block.
    if (total == 0) return nullptr;

    Text joined = AllocateText(static_cast<int32_t>(total + 1));
    char* end = joined;
    va_start(items, count);
    for (int32_t i = 0; i < count; ++i) {
        const char* item = va_arg(items, const char*);
        const int32_t length = TextLength(item);
        if (length > 0) {
            std::memcpy(end, item, static_cast<size_t>(length));
            end += length;
        }
    }
    va_end(items);
    *end = '\0';
    return joined;
}

int32_t TruncateToInt32(double x) {
    // Truncation toward zero to 64 bits. A value that 64 bits cannot hold (or NaN)
    // gives the x86 "integer indefinite" 0x8000000000000000, whose low half is 0.
    constexpr double TwoTo63 = 9223372036854775808.0;
    if (!(x > -TwoTo63 && x < TwoTo63)) return 0;
    const int64_t whole = static_cast<int64_t>(x);
    // Low 32 bits read as two's complement.
    const uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(whole));
    return low <= 0x7FFFFFFFu ? static_cast<int32_t>(low)
                              : static_cast<int32_t>(static_cast<int64_t>(low) - 0x100000000LL);
}

Text RemainingTimeText(int32_t days, int32_t hours, int32_t minutes, int32_t seconds) {
    Text dayText = NumberToText(days);
    Text hourText = NumberToText(hours);
    Text minuteText = NumberToText(minutes);
    Text secondText = NumberToText(seconds);
    Text joined = JoinTexts(9,
                            "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:", // 剩余时间:
                            static_cast<const char*>(dayText),
                            "\xCC\xEC", // 天
                            static_cast<const char*>(hourText),
                            "\xCA\xB1", // 时
                            static_cast<const char*>(minuteText),
                            "\xB7\xD6", // 分
                            static_cast<const char*>(secondText),
                            "\xC3\xEB"); // 秒
    FreeText(dayText);
    FreeText(hourText);
    FreeText(minuteText);
    FreeText(secondText);
    return joined;
}
