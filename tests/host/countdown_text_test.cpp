// The text helpers shared by both countdown workers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "countdown/countdown_text.h"
#include "tests/host/countdown_fixture.h"

namespace {

// Takes a Text over (null stands for the empty text) and releases it.
std::string Take(Text text) {
    std::string bytes = text != nullptr ? text : "";
    FreeText(text);
    return bytes;
}

TEST(TextLength, CountsBytesBeforeTheNul) {
    EXPECT_EQ(TextLength(nullptr), 0);
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("60"), 2);
    EXPECT_EQ(TextLength(Gbk("剩余时间:").c_str()), 9); // four two-byte characters and ":"
}

TEST(JoinTexts, JoinsInOrderAndLeavesTheItemsAlone) {
    const int64_t live = HostLiveTexts();
    char first[] = "ab";
    const std::string joined = Take(JoinTexts(3, static_cast<const char*>(first), "-", "cd"));
    EXPECT_EQ(joined, "ab-cd");
    EXPECT_STREQ(first, "ab");
    EXPECT_EQ(HostLiveTexts(), live);
}

TEST(JoinTexts, NullItemsContributeNothing) {
    const char* none = nullptr;
    EXPECT_EQ(Take(JoinTexts(4, none, "x", none, "y")), "xy");
    EXPECT_EQ(Take(JoinTexts(1, "only")), "only");
}

TEST(JoinTexts, ResultIsAFreshHeapBlock) {
    const char item[] = "abc";
    Text joined = JoinTexts(1, item);
    ASSERT_NE(joined, nullptr);
    EXPECT_NE(static_cast<const void*>(joined), static_cast<const void*>(item));
    EXPECT_TRUE(HostIsLiveText(joined));
    FreeText(joined);
}

TEST(JoinTexts, AnEmptyJoinIsNullNotAnEmptyBlock) {
    const int64_t live = HostLiveTexts();
    const char* none = nullptr;
    EXPECT_EQ(JoinTexts(2, none, ""), nullptr);
    EXPECT_EQ(HostLiveTexts(), live);
}

TEST(JoinTexts, TenItemsOfTheTargetText) {
    EXPECT_EQ(Take(JoinTexts(10, "2019", Gbk("年").c_str(), "12", Gbk("月").c_str(), "28", Gbk("日").c_str(), "18",
                             Gbk("时").c_str(), "30", Gbk("分58秒").c_str())),
              Gbk("2019年12月28日18时30分58秒"));
}

TEST(TruncateToInt32, TruncatesTowardZeroAndWrapsTheLow32Bits) {
    struct Case {
        double x;
        int32_t expected;
    };
    const Case cases[] = {
        {59.98, 59},
        {-0.5, 0},
        {-0.0, 0},
        {-1.7, -1},
        {2147483647.0, 2147483647},
        {2147483700.0, -2147483596},
        {-2147483648.0, INT32_MIN},
        {-2147483649.0, 2147483647},
        {4294967296.0 + 5.0, 5},
        {2147483700.9, -2147483596},
        {60.0 * 35791395, -2147483596},
        // Beyond 64 bits (and NaN) the truncation gives the "indefinite" integer,
        // whose low half is 0.
        {1e300, 0},
        {-1e300, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TruncateToInt32(c.x), c.expected) << c.x;
}

TEST(RemainingTimeText, EachPartCarriesItsOwnSign) {
    struct Case {
        int32_t days, hours, minutes, seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 59, 59, "剩余时间:0天0时59分59秒"},
        {364, 23, 59, 59, "剩余时间:364天23时59分59秒"},
        {0, 0, -5, -1, "剩余时间:0天0时-5分-1秒"},
        {-35, -3, -13, -17, "剩余时间:-35天-3时-13分-17秒"},
        {INT32_MIN, 0, 0, 0, "剩余时间:-2147483648天0时0分0秒"},
    };
    const int64_t live = HostLiveTexts();
    for (const Case& c : cases) {
        EXPECT_EQ(Take(RemainingTimeText(c.days, c.hours, c.minutes, c.seconds)), Gbk(c.expected)) << c.expected;
    }
    EXPECT_EQ(HostLiveTexts(), live);
}

} // namespace
