// The window keeps its size: whatever resizes it, it is 233 x 296 again at
// once, its top-left corner where the resize put it; minimising and restoring
// bring it back at the same place; its edges offer no sizing.
#include <windows.h>

#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;

constexpr int WindowWidth = 233;
constexpr int WindowHeight = 296;

class WindowSize : public AppTest {
protected:
    // Waits until the window is 233 x 296 with its top-left corner at `corner`.
    bool WaitForShape(POINT corner) {
        return WaitUntil([&] {
            RECT rect = ScreenRect(Window());
            return rect.left == corner.x && rect.top == corner.y && rect.right - rect.left == WindowWidth &&
                   rect.bottom - rect.top == WindowHeight;
        }, 5000);
    }

    static std::string Describe(const RECT& rect) {
        return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ") " +
               std::to_string(rect.right - rect.left) + " x " + std::to_string(rect.bottom - rect.top);
    }
};

TEST_F(WindowSize, ResizingFromOutsideIsUndone) {
    struct Attempt {
        const char* what;
        bool move;      // MoveWindow to a new place, else SetWindowPos keeping the place
        int dx, dy;     // for MoveWindow: offset of the new place
        int width, height;
    };
    const Attempt attempts[] = {
        {"larger", false, 0, 0, 400, 500},
        {"smaller", false, 0, 0, 100, 80},
        {"wider only", false, 0, 0, 320, WindowHeight},
        {"taller only", false, 0, 0, WindowWidth, 400},
        {"zero size", false, 0, 0, 0, 0},
        {"moved and resized", true, -40, 30, 300, 350},
    };
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.what);
        RECT before = ScreenRect(Window());
        POINT corner = {before.left, before.top};
        if (attempt.move) {
            corner = {before.left + attempt.dx, before.top + attempt.dy};
            ASSERT_TRUE(MoveWindow(Window(), corner.x, corner.y, attempt.width, attempt.height, TRUE));
        } else {
            ASSERT_TRUE(SetWindowPos(Window(), nullptr, 0, 0, attempt.width, attempt.height,
                                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
        }
        EXPECT_TRUE(WaitForShape(corner)) << "window is " << Describe(ScreenRect(Window()));
        // The controls stay where they were in the client area.
        RECT start = RectIn(Get(按钮开始), Window());
        EXPECT_EQ(start.left, 6);
        EXPECT_EQ(start.top, 10);
    }
}

TEST_F(WindowSize, MinimiseThenRestoreGivesTheSameWindowAgain) {
    RECT before = ScreenRect(Window());
    // As the title bar's minimise button and a click on the taskbar do.
    ASSERT_TRUE(PostMessageW(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(Window()) != FALSE; })) << "not minimised";
    ASSERT_TRUE(PostMessageW(Window(), WM_SYSCOMMAND, SC_RESTORE, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(Window()); })) << "not restored";
    EXPECT_TRUE(WaitForShape({before.left, before.top}))
        << "was " << Describe(before) << ", is " << Describe(ScreenRect(Window()));
    EXPECT_TRUE(IsWindowVisible(Window()));
}

TEST_F(WindowSize, EdgesOfferNoSizingAndOnlyTheTitleBarMoves) {
    RECT rect = ScreenRect(Window());
    const LONG midX = (rect.left + rect.right) / 2;
    const LONG midY = (rect.top + rect.bottom) / 2;
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    struct Probe {
        const char* where;
        POINT point;
    };
    const Probe edges[] = {
        {"left edge", {rect.left, midY}},
        {"right edge", {rect.right - 1, midY}},
        {"top edge", {midX, rect.top}},
        {"bottom edge", {midX, rect.bottom - 1}},
        {"top-left corner", {rect.left, rect.top}},
        {"bottom-right corner", {rect.right - 1, rect.bottom - 1}},
    };
    auto hitTest = [&](POINT point) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(Window(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_ABORTIFHUNG, 5000,
                            &result);
        return static_cast<LRESULT>(result);
    };
    for (const Probe& probe : edges) {
        LRESULT hit = hitTest(probe.point);
        EXPECT_TRUE(hit < HTLEFT || hit > HTBOTTOMRIGHT) << probe.where << " offers sizing (hit test " << hit << ")";
    }
    // The title bar moves the window; the client area does not.
    RECT start = ScreenRect(Get(按钮开始));
    EXPECT_EQ(hitTest({midX, rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + caption / 2}), HTCAPTION);
    EXPECT_EQ(hitTest({(start.right + ScreenRect(Get(按钮停止)).left) / 2, start.top + 2}), HTCLIENT);
}

} // namespace
