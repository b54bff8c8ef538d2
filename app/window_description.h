// The window as data: one record per unit (the window itself and its controls).
// The window layer creates the window from this table; nothing in the program
// builds controls by hand.
#pragma once
#include <cstdint>

// Unit ids of the controls. Each control's window id equals its unit id, so that
// automation tools can address it.
constexpr uint32_t 单选分钟 = 0x16014867u;
constexpr uint32_t 单选日期 = 0x16014866u;
constexpr uint32_t 单选关机 = 0x16014864u;
constexpr uint32_t 单选断网 = 0x16014865u;
constexpr uint32_t 分组框4 = 0x16014863u;
constexpr uint32_t 按钮断开 = 0x16014861u;
constexpr uint32_t 按钮连接 = 0x16014862u;
constexpr uint32_t 标签6 = 0x16014857u;
constexpr uint32_t 年份框 = 0x16014858u;
constexpr uint32_t 标签7 = 0x16014859u;
constexpr uint32_t 月份框 = 0x1601485Au;
constexpr uint32_t 标签3 = 0x1601485Bu;
constexpr uint32_t 日期框 = 0x1601485Cu;
constexpr uint32_t 标签1 = 0x1601485Du;
constexpr uint32_t 小时框 = 0x1601485Eu;
constexpr uint32_t 标签2 = 0x1601485Fu;
constexpr uint32_t 分钟框 = 0x16014860u;
constexpr uint32_t 分组框3 = 0x16014856u;
constexpr uint32_t 编秒数框 = 0x16014853u;
constexpr uint32_t 标签4 = 0x16014854u;
constexpr uint32_t 分组框2 = 0x16014851u;
constexpr uint32_t 标签5 = 0x16014843u;
constexpr uint32_t 分组框1 = 0x160147D3u;
constexpr uint32_t 按钮停止 = 0x16014768u;
constexpr uint32_t 按钮开始 = 0x16010002u;

enum class UnitKind : uint8_t { Window, GroupBox, Label, Button, RadioButton, ComboBox, EditBox };

// Looks beyond what the kind gives every unit of that kind.
enum UnitLook : uint32_t {
    LookPlain = 0,
    LookThinBorder = 1u << 0,     // one-pixel border line (labels)
    LookSunkenFrame = 1u << 1,    // sunken client edge inside a raised dialog frame
    LookRedText = 1u << 2,        // caption drawn in RGB(255, 0, 0)
    LookCentredCaption = 1u << 3, // group box caption centred at the top edge
};

// Event numbers.
enum EventNumber : int32_t {
    EventClicked = 0,
    EventCreated = 0,
    EventMoved = 3,
    EventSizeChanged = 4,
};

using EventHandler = void (*)();

struct EventBinding {
    int32_t event;
    EventHandler handler; // null ends the list
};

// The list of a combo box: decimal numbers first..last, ascending by one,
// optionally followed by one empty item; `position` is the current item at start.
struct ListSetting {
    int32_t first;
    int32_t last;
    bool trailingEmptyItem;
    int32_t position;
};

struct UnitDescription {
    uint32_t id;
    UnitKind kind;
    const char* name;   // code page 936; empty for the window
    uint32_t parent;    // id of the containing group box; 0 for the window's client area
    int32_t left, top;  // relative to the parent's client area
    int32_t width, height;
    bool visible;
    bool disabled;
    bool tabStop;
    int32_t tabOrder;
    EventBinding events[2];
    const char* text;   // caption or content at start (code page 936)
    uint32_t look;      // UnitLook flags
    ListSetting list;   // combo boxes only
};

struct WindowDescription {
    uint32_t id;
    const char* className;
    const UnitDescription* units; // units[0] is the window itself
    int32_t unitCount;
};

// The one window of the program.
extern const WindowDescription MainWindowDescription;

// Finds a window description by id; null when there is none.
const WindowDescription* FindWindowDescription(uint32_t windowId);

// Finds a unit of a window description by id; null when there is none.
const UnitDescription* FindUnit(const WindowDescription& window, uint32_t unitId);

// The handler bound to `event` of `unit`, or null.
EventHandler FindEventHandler(const UnitDescription& unit, int32_t event);

// Keeps the window's outer size at its described size; the handler of the
// window's size-changed event.
void OnWindowSizeChanged();
