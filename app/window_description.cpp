// The window description: the window and its 25 controls as constant data.
#include "app/window_description.h"

#include "app/properties.h"
#include "commands/commands.h"
#include "countdown/run_control.h"

namespace {

constexpr int32_t WindowWidth = 233;
constexpr int32_t WindowHeight = 296;

// Rows are in creation order; within a parent an earlier row lies above a later one.
const UnitDescription MainWindowUnits[] = {
    {WindowUnitId, UnitKind::Window, "", 0, 50, 50, WindowWidth, WindowHeight, true, false, false, 0,
     {{EventSizeChanged, OnWindowSizeChanged}, {0, nullptr}},
     "-Tolvane-", LookPlain, {0, 0, false, 0}},
    {单选分钟, UnitKind::RadioButton, "\xB5\xA5\xD1\xA1\xB7\xD6\xD6\xD3", 分组框2, 56, 16, 40, 32, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xB7\xD6\xD6\xD3", LookPlain, {0, 0, false, 0}},
    {单选日期, UnitKind::RadioButton, "\xB5\xA5\xD1\xA1\xC8\xD5\xC6\xDA", 分组框2, 8, 16, 40, 32, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xC8\xD5\xC6\xDA", LookPlain, {0, 0, false, 0}},
    {单选关机, UnitKind::RadioButton, "\xB5\xA5\xD1\xA1\xB9\xD8\xBB\xFA", 分组框4, 24, 12, 56, 16, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xB9\xD8\xBB\xFA", LookPlain, {0, 0, false, 0}},
    {单选断网, UnitKind::RadioButton, "\xB5\xA5\xD1\xA1\xB6\xCF\xCD\xF8", 分组框4, 144, 12, 56, 16, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xB6\xCF\xCD\xF8", LookPlain, {0, 0, false, 0}},
    {分组框4, UnitKind::GroupBox, "\xB7\xD6\xD7\xE9\xBF\xF2" "4", 分组框1, 5, 136, 216, 34, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xB9\xA6\xC4\xDC\xD1\xA1\xD4\xF1", LookCentredCaption, {0, 0, false, 0}},
    {按钮断开, UnitKind::Button, "\xB0\xB4\xC5\xA5\xB6\xCF\xBF\xAA", 分组框2, 8, 56, 40, 32, true, false, true, 0,
     {{EventClicked, OnDisconnectClicked}, {0, nullptr}},
     "\xB6\xCF\xCD\xF8", LookPlain, {0, 0, false, 0}},
    {按钮连接, UnitKind::Button, "\xB0\xB4\xC5\xA5\xC1\xAC\xBD\xD3", 分组框2, 56, 56, 40, 32, true, false, true, 0,
     {{EventClicked, OnConnectClicked}, {0, nullptr}},
     "\xC1\xAC\xCD\xF8", LookPlain, {0, 0, false, 0}},
    {标签6, UnitKind::Label, "\xB1\xEA\xC7\xA9" "6", 分组框3, 8, 8, 32, 20, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xC4\xEA\xB7\xDD", LookThinBorder, {0, 0, false, 0}},
    {年份框, UnitKind::ComboBox, "\xC4\xEA\xB7\xDD\xBF\xF2", 分组框3, 48, 8, 56, 20, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "2019", LookPlain, {2018, 2028, false, 0}},
    {标签7, UnitKind::Label, "\xB1\xEA\xC7\xA9" "7", 分组框3, 8, 32, 32, 20, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xD4\xC2\xB7\xDD", LookThinBorder, {0, 0, false, 0}},
    {月份框, UnitKind::ComboBox, "\xD4\xC2\xB7\xDD\xBF\xF2", 分组框3, 48, 32, 56, 20, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "12", LookPlain, {1, 12, false, 11}},
    {标签3, UnitKind::Label, "\xB1\xEA\xC7\xA9" "3", 分组框3, 8, 56, 32, 20, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xC8\xD5\xC6\xDA", LookThinBorder, {0, 0, false, 0}},
    {日期框, UnitKind::ComboBox, "\xC8\xD5\xC6\xDA\xBF\xF2", 分组框3, 48, 56, 56, 20, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "28", LookPlain, {1, 31, true, 18}},
    {标签1, UnitKind::Label, "\xB1\xEA\xC7\xA9" "1", 分组框3, 8, 80, 32, 20, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xD0\xA1\xCA\xB1", LookThinBorder, {0, 0, false, 0}},
    {小时框, UnitKind::ComboBox, "\xD0\xA1\xCA\xB1\xBF\xF2", 分组框3, 48, 80, 56, 20, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "18", LookPlain, {1, 24, false, 12}},
    {标签2, UnitKind::Label, "\xB1\xEA\xC7\xA9" "2", 分组框3, 8, 104, 32, 20, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xB7\xD6\xD6\xD3", LookThinBorder, {0, 0, false, 0}},
    {分钟框, UnitKind::ComboBox, "\xB7\xD6\xD6\xD3\xBF\xF2", 分组框3, 48, 104, 56, 20, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "30", LookPlain, {0, 59, false, 30}},
    {分组框3, UnitKind::GroupBox, "\xB7\xD6\xD7\xE9\xBF\xF2" "3", 分组框1, 5, 8, 112, 128, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "", LookPlain, {0, 0, false, 0}},
    {编秒数框, UnitKind::EditBox, "\xB1\xE0\xC3\xEB\xCA\xFD\xBF\xF2", 分组框2, 56, 96, 40, 24, true, false, true, 0,
     {{0, nullptr}, {0, nullptr}},
     "60", LookPlain, {0, 0, false, 0}},
    {标签4, UnitKind::Label, "\xB1\xEA\xC7\xA9" "4", 分组框2, 3, 96, 56, 24, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "\xC9\xE8\xD6\xC3\xB7\xD6\xD6\xD3", LookThinBorder, {0, 0, false, 0}},
    {分组框2, UnitKind::GroupBox, "\xB7\xD6\xD7\xE9\xBF\xF2" "2", 分组框1, 117, 8, 104, 128, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "----\xC9\xE8\xD6\xC3\xC0\xE0\xD0\xCD----", LookCentredCaption, {0, 0, false, 0}},
    {标签5, UnitKind::Label, "\xB1\xEA\xC7\xA9" "5", 分组框1, 6, 176, 208, 38, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "                   ", LookSunkenFrame | LookRedText, {0, 0, false, 0}},
    {分组框1, UnitKind::GroupBox, "\xB7\xD6\xD7\xE9\xBF\xF2" "1", 0, 0, 56, 226, 216, true, false, false, 0,
     {{0, nullptr}, {0, nullptr}},
     "", LookPlain, {0, 0, false, 0}},
    {按钮停止, UnitKind::Button, "\xB0\xB4\xC5\xA5\xCD\xA3\xD6\xB9", 0, 118, 10, 102, 46, true, false, true, 0,
     {{EventClicked, OnStopClicked}, {0, nullptr}},
     "\xB9\xD8\xB1\xD5", LookPlain, {0, 0, false, 0}},
    {按钮开始, UnitKind::Button, "\xB0\xB4\xC5\xA5\xBF\xAA\xCA\xBC", 0, 6, 10, 102, 46, true, false, true, 0,
     {{EventClicked, OnStartClicked}, {0, nullptr}},
     "\xBF\xAA\xCA\xBC", LookPlain, {0, 0, false, 0}},
};

} // namespace

const WindowDescription MainWindowDescription = {
    MainWindowId, "TolvaneMainWindow", MainWindowUnits,
    static_cast<int32_t>(sizeof(MainWindowUnits) / sizeof(MainWindowUnits[0]))};

const WindowDescription* FindWindowDescription(uint32_t windowId) {
    return windowId == MainWindowDescription.id ? &MainWindowDescription : nullptr;
}

const UnitDescription* FindUnit(const WindowDescription& window, uint32_t unitId) {
    for (int32_t i = 0; i < window.unitCount; ++i) {
        if (window.units[i].id == unitId) return &window.units[i];
    }
    return nullptr;
}

EventHandler FindEventHandler(const UnitDescription& unit, int32_t event) {
    for (const EventBinding& binding : unit.events) {
        if (binding.handler == nullptr) break;
        if (binding.event == event) return binding.handler;
    }
    return nullptr;
}

void OnWindowSizeChanged() {
    WriteProperty(MainWindowId, WindowUnitId, PropWidth, -1, WindowWidth, 0);
    WriteProperty(MainWindowId, WindowUnitId, PropHeight, -1, WindowHeight, 0);
}
