// Control access on the real window, in this process: what reads give, what
// writes do, the size limits, the size event, and calls from another thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "app/properties.h"
#include "app/window.h"
#include "runtime/threads.h"
#include "tests/windows/driver/driver.h"

namespace {

HWND ControlOf(uint32_t id) { return driver::ControlIn(CallCarrierWindow(), id); }

// Counts the size changes that reach the window.
WNDPROC baseWindowProc = nullptr;
int sizeMessages = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) ++sizeMessages;
    return CallWindowProcW(baseWindowProc, hwnd, message, wParam, lParam);
}

std::string Owned(Text text) {
    std::string value = text != nullptr ? text : "<null>";
    FreeText(text);
    return value;
}

class ControlAccess : public testing::Test {
protected:
    static void SetUpTestSuite() {
        InitializeRuntime();
        LoadWindow(MainWindowId);
        baseWindowProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(CallCarrierWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    }
    void SetUp() override { PumpPendingMessages(); }
};

TEST_F(ControlAccess, TextsAreReadAsCodePage936AndEmptyAsNull) {
    HWND edit = ControlOf(编秒数框);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Owned(ReadText(编秒数框, PropContent)), "60");

    SetWindowTextW(edit, L"");
    Text cleared = ReadText(编秒数框, PropContent);
    EXPECT_EQ(cleared, nullptr);
    FreeText(cleared);

    SetWindowTextW(edit, L"设置");
    EXPECT_EQ(Owned(ReadText(编秒数框, PropContent)), "\xC9\xE8\xD6\xC3");
    // A character that code page 936 cannot hold reads as "?".
    SetWindowTextW(edit, L"a\u0E01b");
    EXPECT_EQ(Owned(ReadText(编秒数框, PropContent)), "a?b");
    SetWindowTextW(edit, L"60");

    // A caption written as code page 936 shows as the same characters.
    WriteText(标签5, PropCaption, "\xCA\xA3\xD3\xE0\xCA\xB1\xBC\xE4:"); // 剩余时间:
    EXPECT_EQ(driver::TextOf(ControlOf(标签5)), L"剩余时间:");
    WriteText(标签5, PropCaption, nullptr);
    EXPECT_EQ(driver::TextOf(ControlOf(标签5)), L"");
}

TEST_F(ControlAccess, ComboTextIsTheFieldAsTypedOrPicked) {
    HWND combo = ControlOf(日期框);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(Owned(ReadText(日期框, PropComboText)), "28");
    SetWindowTextW(combo, L"abc");
    EXPECT_EQ(Owned(ReadText(日期框, PropComboText)), "abc");
    // The empty last item leaves the field empty.
    SendMessageW(combo, CB_SETCURSEL, 31, 0);
    Text empty = ReadText(日期框, PropComboText);
    EXPECT_EQ(empty, nullptr);
    FreeText(empty);
    SendMessageW(combo, CB_SETCURSEL, 4, 0);
    EXPECT_EQ(Owned(ReadText(日期框, PropComboText)), "5");
    SetWindowTextW(combo, L"28");
}

TEST_F(ControlAccess, TruthValuesAreExactlyOneOrZero) {
    HWND radio = ControlOf(单选断网);
    SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(ReadInteger(单选断网, PropChecked), 1);
    SendMessageW(radio, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(ReadInteger(单选断网, PropChecked), 0);

    // Writing checked sets the mark without a click (the partner keeps its own).
    WriteInteger(单选关机, PropChecked, 7);
    EXPECT_EQ(SendMessageW(ControlOf(单选关机), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(ReadInteger(单选关机, PropChecked), 1);
    WriteInteger(单选关机, PropChecked, 0);
    EXPECT_EQ(ReadInteger(单选关机, PropChecked), 0);

    WriteInteger(按钮开始, PropDisabled, 5);
    EXPECT_FALSE(IsWindowEnabled(ControlOf(按钮开始)));
    EXPECT_EQ(ReadInteger(按钮开始, PropDisabled), 1);
    WriteInteger(按钮开始, PropDisabled, 0);
    EXPECT_TRUE(IsWindowEnabled(ControlOf(按钮开始)));
    EXPECT_EQ(ReadInteger(按钮开始, PropDisabled), 0);
}

TEST_F(ControlAccess, SizesAreLimitedToZeroThrough32627) {
    struct Case {
        int32_t property;
        PropertyValue written;
        int32_t read;
    };
    const Case cases[] = {
        {PropWidth, 40000, 32627}, {PropWidth, -5, 0}, {PropWidth, 57, 57},
        {PropHeight, 32628, 32627}, {PropHeight, -1, 0}, {PropHeight, 24, 24},
    };
    for (const Case& c : cases) {
        WriteProperty(MainWindowId, 标签4, c.property, -1, c.written, 0);
        EXPECT_EQ(ReadInteger(标签4, c.property), c.read) << "property " << c.property << " written " << c.written;
    }
    WriteInteger(标签4, PropWidth, 56);
    EXPECT_EQ(ReadInteger(标签4, PropLeft), 3);
    EXPECT_EQ(ReadInteger(标签4, PropTop), 96);
}

TEST_F(ControlAccess, WindowSizeWritesRaiseTheSizeEventOnlyForARealChange) {
    EXPECT_EQ(ReadInteger(WindowUnitId, PropWidth), 233);
    EXPECT_EQ(ReadInteger(WindowUnitId, PropHeight), 296);
    RECT before;
    GetWindowRect(CallCarrierWindow(), &before);

    sizeMessages = 0;
    WriteInteger(WindowUnitId, PropWidth, 233);
    WriteInteger(WindowUnitId, PropHeight, 296);
    EXPECT_EQ(sizeMessages, 0);

    // A real change raises the event, whose handler puts the size back, nested.
    WriteInteger(WindowUnitId, PropWidth, 300);
    EXPECT_GE(sizeMessages, 1);
    RECT after;
    GetWindowRect(CallCarrierWindow(), &after);
    EXPECT_EQ(after.right - after.left, 233);
    EXPECT_EQ(after.bottom - after.top, 296);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
}

std::atomic<int> workerStep{0};
Text workerRead = nullptr;

void WriteAndReadFromWorker() {
    WriteText(标签5, PropCaption, "worker");
    workerRead = ReadText(编秒数框, PropContent);
    workerStep = 1;
}

TEST_F(ControlAccess, CallsFromAnotherThreadCompleteOnTheWindowThread) {
    std::atomic<ThreadHandle> handle{0};
    workerStep = 0;
    ASSERT_TRUE(StartThread(WriteAndReadFromWorker, &handle));
    const DWORD deadline = GetTickCount() + 10000;
    while (workerStep == 0 && GetTickCount() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpPendingMessages();
    }
    ASSERT_EQ(workerStep, 1);
    EXPECT_EQ(driver::TextOf(ControlOf(标签5)), L"worker");
    EXPECT_EQ(Owned(workerRead), "60");
}

TEST_F(ControlAccess, FreeTextLeavesNullAndConstantsAlone) {
    static const char constant[] = "constant";
    FreeText(nullptr);
    FreeText(constant);
    FreeText("literal");
    EXPECT_STREQ(constant, "constant");
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    Text block = AllocateText(8);
    std::memcpy(block, "heap", 5);
    FreeText(block);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

} // namespace
