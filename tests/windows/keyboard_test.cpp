// The window's own keys, sent as real key strokes: Esc (and Alt+F4) end the
// program with exit code 0, Tab and Shift+Tab run the fixed order and pass over
// a disabled control, arrow keys move between the radio buttons of one group,
// Enter and F1 do nothing.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;

// Tab order, forward, from 按钮开始.
const uint32_t TabOrder[] = {按钮开始, 按钮停止, 编秒数框, 分钟框, 小时框, 日期框, 月份框,
                             年份框,   按钮连接, 按钮断开, 单选断网, 单选关机, 单选日期, 单选分钟};
constexpr size_t TabCount = sizeof(TabOrder) / sizeof(TabOrder[0]);

class Keyboard : public AppTest {
protected:
    // Presses a key and waits until the focus is on `expected`.
    void PressAndExpectFocus(WORD key, unsigned modifiers, uint32_t expected) {
        ASSERT_TRUE(PressKey(key, modifiers));
        EXPECT_TRUE(app().WaitForFocus(expected, 5000))
            << "expected the focus on " << NameOf(expected) << ", it is on " << NameOf(app().FocusedControl());
    }

    // Walks the whole cycle from `from` with Tab (or Shift+Tab), control by
    // control, back to `from`.
    void WalkCycle(uint32_t from, const std::vector<uint32_t>& cycle, bool forward) {
        size_t at = 0;
        while (cycle[at] != from) ++at;
        for (size_t step = 1; step <= cycle.size(); ++step) {
            size_t next = forward ? (at + step) % cycle.size() : (at + cycle.size() * 2 - step) % cycle.size();
            SCOPED_TRACE(std::string(forward ? "Tab" : "Shift+Tab") + " step " + std::to_string(step));
            PressAndExpectFocus(VK_TAB, forward ? NoModifier : Shift, cycle[next]);
            if (HasFailure()) return;
        }
    }
};

TEST_F(Keyboard, TabAndShiftTabRunTheOrderBothWays) {
    ClickAndFocus(按钮停止);
    std::vector<uint32_t> cycle(TabOrder, TabOrder + TabCount);
    WalkCycle(按钮停止, cycle, true);
    WalkCycle(按钮停止, cycle, false);
}

TEST_F(Keyboard, TabPassesOverADisabledControl) {
    HWND start = Get(按钮开始);
    ASSERT_NE(start, nullptr);
    ClickAndFocus(按钮停止);
    EnableWindow(start, FALSE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(start); }));

    std::vector<uint32_t> cycle(TabOrder + 1, TabOrder + TabCount); // without 按钮开始
    WalkCycle(按钮停止, cycle, false);
    WalkCycle(按钮停止, cycle, true);

    // Enabled again, it is in the cycle again.
    EnableWindow(start, TRUE);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(start) != FALSE; }));
    PressAndExpectFocus(VK_TAB, Shift, 按钮开始);
}

TEST_F(Keyboard, ArrowKeysMoveFocusAndCheckMarkWithinTheGroup) {
    struct Group {
        uint32_t first, second; // the group's two radio buttons
        uint32_t other1, other2; // the other group's, which must stay as they are
    };
    const Group groups[] = {{单选日期, 单选分钟, 单选断网, 单选关机}, {单选断网, 单选关机, 单选日期, 单选分钟}};
    const WORD keys[] = {VK_RIGHT, VK_LEFT, VK_DOWN, VK_UP};
    const char* keyNames[] = {"Right", "Left", "Down", "Up"};

    for (const Group& group : groups) {
        SCOPED_TRACE("group of " + NameOf(group.first));
        ClickAndFocus(group.first);
        ASSERT_TRUE(WaitUntil([&] { return IsChecked(Get(group.first)); }));
        const bool other1 = IsChecked(Get(group.other1));
        const bool other2 = IsChecked(Get(group.other2));
        uint32_t at = group.first;
        // With two radio buttons in a group, each arrow key leads to the other
        // one, forward or backward around the group.
        for (size_t k = 0; k < 4; ++k) {
            for (int twice = 0; twice < 2; ++twice) {
                uint32_t to = at == group.first ? group.second : group.first;
                SCOPED_TRACE(std::string(keyNames[k]) + " from " + NameOf(at));
                PressAndExpectFocus(keys[k], NoModifier, to);
                EXPECT_TRUE(WaitUntil([&] { return IsChecked(Get(to)) && !IsChecked(Get(at)); }, 5000))
                    << "check mark did not move";
                EXPECT_EQ(IsChecked(Get(group.other1)), other1) << "other group changed";
                EXPECT_EQ(IsChecked(Get(group.other2)), other2) << "other group changed";
                if (HasFailure()) return;
                at = to;
            }
        }
    }
}

// Enter and F1 change nothing: the next Tab proves the key was handled and
// the focus had not moved, and no command was started.
TEST_F(Keyboard, EnterAndF1DoNothing) {
    struct Case {
        uint32_t focus;
        WORD key;
        const char* keyName;
        uint32_t afterTab; // the control after `focus` in Tab order
    };
    const Case cases[] = {
        {按钮断开, VK_RETURN, "Enter", 单选断网}, {按钮断开, VK_F1, "F1", 单选断网},
        {按钮连接, VK_RETURN, "Enter", 按钮断开}, {编秒数框, VK_RETURN, "Enter", 分钟框},
        {编秒数框, VK_F1, "F1", 分钟框},           {年份框, VK_RETURN, "Enter", 按钮连接},
    };
    size_t clicksOnCommandButtons = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keyName) + " on " + NameOf(c.focus));
        ClickAndFocus(c.focus); // a click on 按钮断开 or 按钮连接 starts its command once
        if (c.focus == 按钮断开 || c.focus == 按钮连接) ++clicksOnCommandButtons;
        ASSERT_TRUE(PressKey(c.key));
        PressAndExpectFocus(VK_TAB, NoModifier, c.afterTab);
        EXPECT_TRUE(app().Running());
        EXPECT_EQ(VisibleTopLevelWindows(app().ProcessId()).size(), 1u) << "a window was opened";
    }
    EXPECT_EQ(TextOf(Get(编秒数框)), L"60");
    EXPECT_EQ(TextOf(Get(年份框)), L"2019");

    // Every command started has ended and logged by now: only the clicks count.
    ASSERT_TRUE(app().WaitForChildrenToEnd());
    EXPECT_EQ(app().Log().Lines().size(), clicksOnCommandButtons);
}

// Each case is a run of its own: the key ends the program.
TEST_F(Keyboard, EscAndAltF4CloseTheWindowWithExitCodeZero) {
    struct Case {
        WORD key;
        unsigned modifiers;
        const char* keyName;
        uint32_t focus; // 0: leave the focus where the program put it
    };
    const Case cases[] = {
        {VK_ESCAPE, NoModifier, "Esc", 0},         {VK_ESCAPE, NoModifier, "Esc", 编秒数框},
        {VK_ESCAPE, NoModifier, "Esc", 年份框},     {VK_ESCAPE, NoModifier, "Esc", 单选日期},
        {VK_ESCAPE, NoModifier, "Esc", 按钮停止}, {VK_F4, Alt, "Alt+F4", 编秒数框},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(std::string(c.keyName) + " with the focus on " +
                     (c.focus ? NameOf(c.focus) : std::string("the first control")));
        if (i > 0) Launch();
        if (HasFatalFailure()) return;
        if (c.focus != 0) ClickAndFocus(c.focus);
        ASSERT_TRUE(PressKey(c.key, c.modifiers));
        DWORD code = 1234;
        EXPECT_TRUE(app().WaitForExit(&code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }
}

} // namespace
