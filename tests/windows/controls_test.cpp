// The controls under the mouse and the keyboard: radio buttons exclude each
// other only within their group, the fields take any typed text, and the
// empty last item of 日期框 empties the field.
#include <windows.h>

#include <string>

#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;

class Controls : public AppTest {};

TEST_F(Controls, RadioButtonsExcludeEachOtherOnlyWithinTheirGroup) {
    const uint32_t radios[] = {单选日期, 单选分钟, 单选关机, 单选断网};
    struct Step {
        uint32_t click;
        bool checked[4]; // 单选日期, 单选分钟, 单选关机, 单选断网 afterwards
    };
    const Step steps[] = {
        {单选分钟, {false, true, false, false}},
        {单选关机, {false, true, true, false}},
        {单选日期, {true, false, true, false}},
        {单选断网, {true, false, false, true}},
        {单选断网, {true, false, false, true}}, // clicking a checked one keeps it checked
        {单选分钟, {false, true, false, true}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE("click on " + NameOf(step.click));
        ASSERT_TRUE(Click(Get(step.click)));
        bool reached = WaitUntil([&] {
            for (int i = 0; i < 4; ++i) {
                if (IsChecked(Get(radios[i])) != step.checked[i]) return false;
            }
            return true;
        }, 5000);
        EXPECT_TRUE(reached);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(IsChecked(Get(radios[i])), step.checked[i]) << NameOf(radios[i]);
    }
}

TEST_F(Controls, FieldsTakeAnyTypedText) {
    struct Case {
        uint32_t id;
        const wchar_t* typed;
    };
    const Case cases[] = {
        {编秒数框, L"abc"},  {编秒数框, L"-1.5 分"}, {编秒数框, L""},
        {年份框, L"二〇二四"}, {日期框, L"99x"},      {分钟框, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(NameOf(c.id) + " <- \"" + Utf8(c.typed) + "\"");
        HWND control = Get(c.id);
        ClickAndFocus(c.id);
        // Select everything and type over it (nothing typed: delete it).
        ASSERT_TRUE(PressKey(VK_HOME));
        ASSERT_TRUE(PressKey(VK_END, Shift));
        ASSERT_TRUE(*c.typed ? TypeText(c.typed) : PressKey(VK_DELETE));
        EXPECT_TRUE(WaitUntil([&] { return TextOf(control) == c.typed; }, 5000))
            << "text is \"" << Utf8(TextOf(control)) << "\"";
    }
}

TEST_F(Controls, TheEmptyLastDayItemEmptiesTheField) {
    HWND days = Get(日期框);
    ASSERT_NE(days, nullptr);
    ClickAndFocus(日期框);
    // Down arrows walk the list to its end and stop there.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(PressKey(VK_DOWN));
    EXPECT_TRUE(WaitUntil([&] { return ComboSelection(days) == 31; }, 5000))
        << "list position " << ComboSelection(days);
    EXPECT_EQ(TextOf(days), L"");
    ASSERT_TRUE(PressKey(VK_UP));
    EXPECT_TRUE(WaitUntil([&] { return TextOf(days) == L"31"; }, 5000)) << Utf8(TextOf(days));
}

} // namespace
