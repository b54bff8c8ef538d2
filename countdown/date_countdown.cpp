// The date countdown: shows the time between now and the moment that the five
// combo boxes describe, and takes the chosen action once the clock stands in the
// target hour of the target day at or after the target minute.
#include <cstdint>

#include "app/properties.h"
#include "app/window_description.h"
#include "commands/commands.h"
#include "countdown/countdown_text.h"
#include "countdown/run_control.h"
#include "countdown/worker_steps.h"
#include "runtime/conversions.h"
#include "runtime/threads.h"

namespace {

// The combo boxes of the target, in the order of the target text and the test.
const uint32_t TargetBoxes[5] = {年份框, 月份框, 日期框, 小时框, 分钟框};

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// Replaces a kept Text by its successor; the old one is released after the new
// one has been made.
void Replace(Text& kept, Text successor) {
    FreeText(kept);
    kept = successor;
}

// The Texts the worker keeps from one tick to the next.
struct KeptTexts {
    Text components[5]; // year, month, day, hour, minute of this tick's clock readings
    Text unsignedDifference;
};

void ReleaseKept(KeptTexts& kept) {
    for (Text& component : kept.components) Replace(component, nullptr);
    Replace(kept.unsignedDifference, nullptr);
}

// The target text "<year>年<month>月<day>日<hour>时<minute>分58秒" from the combo
// texts as they stand.
Text JoinTargetText() {
    Text copies[5];
    for (int i = 0; i < 5; ++i) {
        Text read = ReadText(TargetBoxes[i], PropComboText);
        copies[i] = NumberToText(OrEmpty(read));
        FreeText(read);
    }
    Text target = JoinTexts(10,
                            static_cast<const char*>(copies[0]), "\xC4\xEA", // 年
                            static_cast<const char*>(copies[1]), "\xD4\xC2", // 月
                            static_cast<const char*>(copies[2]), "\xC8\xD5", // 日
                            static_cast<const char*>(copies[3]), "\xCA\xB1", // 时
                            static_cast<const char*>(copies[4]), "\xB7\xD6" "58\xC3\xEB"); // 分58秒
    for (Text& copy : copies) FreeText(copy);
    return target;
}

// The target test on this tick's clock components against the combo boxes, each
// read afresh; the first mismatch ends the test and leaves the later boxes unread.
bool TargetReached(const KeptTexts& kept) {
    for (int i = 0; i < 4; ++i) {
        if (TextToInt(OrEmpty(kept.components[i])) != ReadNumber(TargetBoxes[i], PropComboText)) return false;
    }
    return TextToInt(OrEmpty(kept.components[4])) >= ReadNumber(TargetBoxes[4], PropComboText);
}

} // namespace

void DateCountdown() {
    KeptTexts kept = {{nullptr, nullptr, nullptr, nullptr, nullptr}, nullptr};
    for (;;) {
        if (RunFlag.load() != 1 || ThreadStopRequested()) {
            ReleaseKept(kept);
            return;
        }

        PacedDelay(1000);
        if (ThreadStopRequested()) continue; // stopped while waiting: leave at the top

        // The clock's components, each from a reading of its own, then now.
        Replace(kept.components[0], NumberToText(YearOf(CurrentDateTime())));
        Replace(kept.components[1], NumberToText(MonthOf(CurrentDateTime())));
        Replace(kept.components[2], NumberToText(DayOf(CurrentDateTime())));
        Replace(kept.components[3], NumberToText(HourOf(CurrentDateTime())));
        Replace(kept.components[4], NumberToText(MinuteOf(CurrentDateTime())));
        const DateTime now = CurrentDateTime();

        // Display: the size of the difference between now and the target.
        Text targetText = JoinTargetText();
        const DateTime target = ParseDateTime(OrEmpty(targetText));
        FreeText(targetText);
        const int32_t difference = TruncateToInt32(DateTimeDifference(now, target, 8));

        Text signedText = NumberToText(difference);
        Replace(kept.unsignedDifference, ReplaceText(OrEmpty(signedText), "-", "", 1, 1, true));
        FreeText(signedText);
        int32_t remaining = static_cast<int32_t>(
            static_cast<uint32_t>(static_cast<uint64_t>(TextToInt64(OrEmpty(kept.unsignedDifference)))));

        const int32_t days = FloorToInt(remaining / 86400.0);
        remaining = TruncateToInt32(remaining - days * 86400.0);
        const int32_t hours = FloorToInt(remaining / 3600.0);
        remaining = TruncateToInt32(remaining - hours * 3600.0);
        const int32_t minutes = FloorToInt(remaining / 60.0);
        const int32_t seconds = TruncateToInt32(remaining - minutes * 60.0);

        Text label = RemainingTimeText(days, hours, minutes, seconds);
        WriteText(标签5, PropCaption, label);
        FreeText(label);

        if (!TargetReached(kept)) continue;
        if (TakeTargetAction()) {
            ReleaseKept(kept);
            return;
        }
    }
}
