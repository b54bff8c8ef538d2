// The window as the user first sees it: the window itself, each of its 25
// controls (kind, text, place, size, state, stacking) and the combo boxes'
// lists, all read from the running program.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/windows/driver/app_fixture.h"

namespace {

using namespace driver;

constexpr int WindowWidth = 233;
constexpr int WindowHeight = 296;

enum class Kind { Button, Radio, GroupBox, Label, Combo, Edit };
enum Look : unsigned { Plain = 0, ThinBorder = 1, SunkenFrame = 2, CentredCaption = 4 };

struct ControlRow {
    uint32_t id;
    Kind kind;
    uint32_t parent; // 0: the window's client area
    const wchar_t* text;
    int left, top;   // in the window's client area
    int width, height;
    unsigned look;
};

// The controls in description order, places in the window's client area.
const ControlRow Controls[] = {
    {单选分钟, Kind::Radio, 分组框2, L"分钟", 173, 80, 40, 32, Plain},
    {单选日期, Kind::Radio, 分组框2, L"日期", 125, 80, 40, 32, Plain},
    {单选关机, Kind::Radio, 分组框4, L"关机", 29, 204, 56, 16, Plain},
    {单选断网, Kind::Radio, 分组框4, L"断网", 149, 204, 56, 16, Plain},
    {分组框4, Kind::GroupBox, 分组框1, L"功能选择", 5, 192, 216, 34, CentredCaption},
    {按钮断开, Kind::Button, 分组框2, L"断网", 125, 120, 40, 32, Plain},
    {按钮连接, Kind::Button, 分组框2, L"连网", 173, 120, 40, 32, Plain},
    {标签6, Kind::Label, 分组框3, L"年份", 13, 72, 32, 20, ThinBorder},
    {年份框, Kind::Combo, 分组框3, L"2019", 53, 72, 56, 20, Plain},
    {标签7, Kind::Label, 分组框3, L"月份", 13, 96, 32, 20, ThinBorder},
    {月份框, Kind::Combo, 分组框3, L"12", 53, 96, 56, 20, Plain},
    {标签3, Kind::Label, 分组框3, L"日期", 13, 120, 32, 20, ThinBorder},
    {日期框, Kind::Combo, 分组框3, L"28", 53, 120, 56, 20, Plain},
    {标签1, Kind::Label, 分组框3, L"小时", 13, 144, 32, 20, ThinBorder},
    {小时框, Kind::Combo, 分组框3, L"18", 53, 144, 56, 20, Plain},
    {标签2, Kind::Label, 分组框3, L"分钟", 13, 168, 32, 20, ThinBorder},
    {分钟框, Kind::Combo, 分组框3, L"30", 53, 168, 56, 20, Plain},
    {分组框3, Kind::GroupBox, 分组框1, L"", 5, 64, 112, 128, Plain},
    {编秒数框, Kind::Edit, 分组框2, L"60", 173, 160, 40, 24, Plain},
    {标签4, Kind::Label, 分组框2, L"设置分钟", 120, 160, 56, 24, ThinBorder},
    {分组框2, Kind::GroupBox, 分组框1, L"----设置类型----", 117, 64, 104, 128, CentredCaption},
    {标签5, Kind::Label, 分组框1, L"                   ", 6, 232, 208, 38, SunkenFrame},
    {分组框1, Kind::GroupBox, 0, L"", 0, 56, 226, 216, Plain},
    {按钮停止, Kind::Button, 0, L"关闭", 118, 10, 102, 46, Plain},
    {按钮开始, Kind::Button, 0, L"开始", 6, 10, 102, 46, Plain},
};

bool Has(LONG bits, LONG flag) { return (bits & flag) == flag; }

// What every control of a kind must be: its window class and styles. Returns
// the list of what is wrong, empty when all holds.
std::vector<std::string> KindFaults(HWND control, const ControlRow& row) {
    std::vector<std::string> faults;
    auto need = [&](bool holds, const char* what) {
        if (!holds) faults.push_back(what);
    };
    const std::wstring className = ClassNameOf(control);
    const LONG style = StyleOf(control);
    const LONG exStyle = ExStyleOf(control);
    const LONG horizontal = style & BS_CENTER; // BS_LEFT, BS_RIGHT or both
    const LONG vertical = style & BS_VCENTER;

    need(Has(style, WS_CHILD), "child window");
    const bool tabStop = row.kind != Kind::GroupBox && row.kind != Kind::Label;
    need(Has(style, WS_TABSTOP) == tabStop, tabStop ? "tab stop" : "no tab stop");
    switch (row.kind) {
    case Kind::Button:
        need(SamePath(className, L"Button"), "class BUTTON");
        need((style & BS_TYPEMASK) == BS_PUSHBUTTON, "ordinary push button (not default)");
        need(horizontal == 0 || horizontal == BS_CENTER, "caption centred horizontally");
        need(vertical == 0 || vertical == BS_VCENTER, "caption centred vertically");
        need(Has(style, BS_MULTILINE), "caption may wrap");
        break;
    case Kind::Radio:
        need(SamePath(className, L"Button"), "class BUTTON");
        need((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON, "automatic radio button");
        need(!Has(style, BS_LEFTTEXT) && !Has(style, BS_RIGHTBUTTON), "text right of the circle");
        need(horizontal == 0 || horizontal == BS_LEFT, "text left-aligned");
        need(vertical == 0 || vertical == BS_VCENTER, "text vertically centred");
        need(Has(style, BS_MULTILINE), "text may wrap");
        need((style & (BS_BITMAP | BS_ICON)) == 0, "no picture");
        break;
    case Kind::GroupBox:
        need(SamePath(className, L"Button"), "class BUTTON");
        need((style & BS_TYPEMASK) == BS_GROUPBOX, "group box");
        if (row.look & CentredCaption) need(horizontal == BS_CENTER, "caption centred");
        break;
    case Kind::Label:
        need(className == L"TolvaneLabel", "class TolvaneLabel");
        if (row.look & ThinBorder) {
            need(Has(style, WS_BORDER), "thin line border (WS_BORDER)");
            need(!Has(exStyle, WS_EX_CLIENTEDGE), "no client edge");
        }
        if (row.look & SunkenFrame) {
            need(Has(exStyle, WS_EX_CLIENTEDGE), "sunken client edge");
            need(Has(exStyle, WS_EX_DLGMODALFRAME) || Has(style, WS_DLGFRAME), "raised dialog frame");
        }
        break;
    case Kind::Combo: {
        need(SamePath(className, L"ComboBox"), "class COMBOBOX");
        need((style & 3) == CBS_DROPDOWN, "drop-down combo box");
        need(Has(style, CBS_AUTOHSCROLL), "field scrolls horizontally");
        need(!Has(style, CBS_SORT), "list not sorted");
        need((style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) == 0, "not owner-drawn");
        // The combo box hands its scroll bar style on to its list.
        HWND list = ComboList(control);
        need(list != nullptr, "has a list");
        if (list != nullptr) {
            need(Has(StyleOf(list), WS_VSCROLL), "list has a vertical scroll bar");
            need(!Has(StyleOf(list), LBS_SORT), "list not sorted");
        }
        break;
    }
    case Kind::Edit:
        need(SamePath(className, L"Edit"), "class EDIT");
        need(!Has(style, ES_MULTILINE), "single line");
        need((style & (ES_CENTER | ES_RIGHT)) == ES_CENTER, "text centred");
        need(Has(style, ES_AUTOHSCROLL), "scrolls horizontally");
        need(!Has(style, ES_NUMBER), "any characters accepted");
        need(!Has(style, ES_READONLY), "editable");
        need(!Has(style, ES_NOHIDESEL), "selection hidden without focus");
        need(Has(exStyle, WS_EX_CLIENTEDGE), "sunken client edge");
        need(Has(exStyle, WS_EX_DLGMODALFRAME) || Has(style, WS_DLGFRAME), "raised dialog frame");
        break;
    }
    return faults;
}

// The dropped rectangle of a drop-down combo box of this process, created
// `height` tall with the default GUI font.
RECT ReferenceDroppedRect(int width, int height) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
                                 0, 0, width, height, host, nullptr, nullptr, nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    RECT rect = {};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rect));
    DestroyWindow(host);
    return rect;
}

class Layout : public AppTest {};

TEST_F(Layout, WindowIsTitledFixedTopmostAndCentred) {
    HWND window = Window();
    EXPECT_EQ(ClassNameOf(window), L"TolvaneMainWindow");
    EXPECT_EQ(TextOf(window), L"-Tolvane-");

    const LONG style = StyleOf(window);
    const LONG exStyle = ExStyleOf(window);
    EXPECT_TRUE(Has(style, WS_CAPTION)) << "title bar";
    EXPECT_TRUE(Has(style, WS_SYSMENU)) << "system menu and close button";
    EXPECT_TRUE(Has(style, WS_MINIMIZEBOX)) << "minimise button";
    EXPECT_FALSE(Has(style, WS_MAXIMIZEBOX)) << "no maximise button";
    EXPECT_FALSE(Has(style, WS_THICKFRAME)) << "fixed border";
    EXPECT_TRUE(Has(exStyle, WS_EX_TOPMOST)) << "always on top";
    EXPECT_FALSE(Has(exStyle, WS_EX_TOOLWINDOW)) << "has a taskbar button";
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << "has a taskbar button";
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(app().CameToForeground()) << "the window becomes the active window when shown";

    RECT rect = ScreenRect(window);
    EXPECT_EQ(rect.right - rect.left, WindowWidth);
    EXPECT_EQ(rect.bottom - rect.top, WindowHeight);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - WindowWidth) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - WindowHeight) / 2);
}

TEST_F(Layout, EveryControlHasItsKindTextPlaceAndState) {
    for (const ControlRow& row : Controls) {
        SCOPED_TRACE(NameOf(row.id));
        HWND control = Get(row.id);
        if (control == nullptr) continue;

        for (const std::string& fault : KindFaults(control, row)) ADD_FAILURE() << "kind: " << fault;

        HWND expectedParent = row.parent == 0 ? Window() : app().Control(row.parent);
        EXPECT_EQ(GetParent(control), expectedParent) << "parent " << NameOf(row.parent);

        EXPECT_EQ(TextOf(control), row.text);

        RECT rect = RectIn(control, Window());
        EXPECT_EQ(rect.left, row.left) << "left in the client area";
        EXPECT_EQ(rect.top, row.top) << "top in the client area";
        EXPECT_EQ(rect.right - rect.left, row.width) << "width";
        if (row.kind == Kind::Combo) {
            // Created 160 tall, field and dropped list together; the closed
            // field's height follows the font. How the created height shows
            // in the dropped rectangle is the system's business, so the test
            // compares with a combo box of its own created that tall.
            RECT dropped = {};
            SendMessageTimeoutW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped),
                                SMTO_ABORTIFHUNG, 5000, nullptr);
            RECT reference = ReferenceDroppedRect(row.width, 160);
            EXPECT_EQ(dropped.bottom - dropped.top, reference.bottom - reference.top)
                << "height with the list dropped, as a combo box created 160 tall";
            EXPECT_EQ(dropped.right - dropped.left, row.width) << "width with the list dropped";
        } else {
            EXPECT_EQ(rect.bottom - rect.top, row.height) << "height";
        }

        EXPECT_TRUE(IsWindowVisible(control)) << "visible";
        EXPECT_TRUE(IsWindowEnabled(control)) << "enabled";
        if (row.kind == Kind::Radio) {
            EXPECT_FALSE(IsChecked(control)) << "unchecked at start";
        }
    }
}

TEST_F(Layout, EarlierControlsLieAboveLaterOnesWithinAParent) {
    // Per parent, the controls from top to bottom of the stacking order.
    std::map<uint32_t, std::vector<uint32_t>> expected;
    for (const ControlRow& row : Controls) expected[row.parent].push_back(row.id);

    for (const auto& entry : expected) {
        SCOPED_TRACE("children of " + (entry.first == 0 ? std::string("the window") : NameOf(entry.first)));
        HWND parent = entry.first == 0 ? Window() : app().Control(entry.first);
        ASSERT_NE(parent, nullptr);
        std::vector<std::string> stacked;
        for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            stacked.push_back(NameOf(static_cast<uint32_t>(GetWindowLongPtrW(child, GWLP_ID))));
        }
        std::vector<std::string> names;
        for (uint32_t id : entry.second) names.push_back(NameOf(id));
        EXPECT_EQ(stacked, names);
    }
}

TEST_F(Layout, ComboBoxesHoldTheirListsAndTextAtStart) {
    struct ComboRow {
        uint32_t id;
        int first, last;
        bool trailingEmptyItem;
        int position;
        const wchar_t* text;
    };
    const ComboRow combos[] = {
        {年份框, 2018, 2028, false, 0, L"2019"},
        {月份框, 1, 12, false, 11, L"12"},
        {日期框, 1, 31, true, 18, L"28"},
        {小时框, 1, 24, false, 12, L"18"},
        {分钟框, 0, 59, false, 30, L"30"},
    };

    // List lines are one pixel taller than the default GUI font's line.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    for (const ComboRow& row : combos) {
        SCOPED_TRACE(NameOf(row.id));
        HWND combo = Get(row.id);
        if (combo == nullptr) continue;
        std::vector<std::wstring> items;
        for (int value = row.first; value <= row.last; ++value) items.push_back(std::to_wstring(value));
        if (row.trailingEmptyItem) items.push_back(L"");
        EXPECT_EQ(ComboItems(combo), items);
        EXPECT_EQ(TextOf(combo), row.text);
        EXPECT_EQ(ComboSelection(combo), row.position) << "list position at start";

        DWORD_PTR itemHeight = 0;
        SendMessageTimeoutW(combo, CB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &itemHeight);
        EXPECT_EQ(static_cast<LONG>(itemHeight), metrics.tmHeight + 1) << "list line height";
    }
}

TEST_F(Layout, EditBoxStartsWithAnEmptySelectionAtTheStart) {
    HWND edit = Get(编秒数框);
    ASSERT_NE(edit, nullptr);
    DWORD_PTR selection = 0;
    SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
    EXPECT_EQ(LOWORD(selection), 0) << "selection start";
    EXPECT_EQ(HIWORD(selection), 0) << "selection end";
}

// The program's texts are code page 936 bytes; the window must show them as
// the right characters also where the system's ANSI code page is another one.
TEST_F(Layout, ChineseTextsAreRightUnderAnotherAnsiCodePage) {
    ASSERT_NE(GetACP(), 936u) << "this prefix must not use code page 936, or the test proves nothing";
    const struct {
        uint32_t id;
        const wchar_t* text;
    } texts[] = {{按钮开始, L"开始"}, {分组框2, L"----设置类型----"}, {标签4, L"设置分钟"}, {分组框4, L"功能选择"}};
    for (const auto& t : texts) {
        HWND control = Get(t.id);
        if (control == nullptr) continue;
        EXPECT_EQ(TextOf(control), t.text) << NameOf(t.id);
    }
}

} // namespace
