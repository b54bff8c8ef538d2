// The simulated main window of the native build: ReadProperty and WriteProperty
// over controls held in memory, built from the real window description, so the
// start texts, the radio pairs and the bound handlers are the program's own.
// Every call is logged, and the writes of the status label are kept, so that
// tests can tell what a worker read and wrote on which tick.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/fatal.h"
#include "app/properties.h"
#include "app/text_heap.h"
#include "app/window_description.h"
#include "runtime/threads.h"
#include "tests/host/support/host_support.h"

namespace {

struct SimUnit {
    const UnitDescription* description;
    std::string text; // caption, content or combo field
    bool checked;
    bool disabled;
    bool visible;
    int32_t left, top, width, height;
};

std::vector<SimUnit> units;
bool windowOpen = true;
bool logging = true;
std::vector<SimPropertyAccess> accessLog;
std::vector<SimLabelWrite> labelHistory;
std::vector<std::string> invalidAccesses;
std::function<void(const SimPropertyAccess&)> accessHook;
bool inAccessHook = false;

// 未载入欲访问窗口组件所在的窗口
const char WindowNotLoaded[] =
    "\xCE\xB4\xD4\xD8\xC8\xEB\xD3\xFB\xB7\xC3\xCE\xCA\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xCB\xF9\xD4\xDA\xB5\xC4\xB4\xB0\xBF\xDA";

void BuildUnits() {
    units.clear();
    for (int32_t i = 0; i < MainWindowDescription.unitCount; ++i) {
        const UnitDescription& d = MainWindowDescription.units[i];
        units.push_back(SimUnit{&d, d.text != nullptr ? d.text : "", false, d.disabled, d.visible,
                                d.left, d.top, d.width, d.height});
    }
}

SimUnit* FindSimUnit(uint32_t id) {
    if (units.empty()) BuildUnits();
    for (SimUnit& unit : units) {
        if (unit.description->id == id) return &unit;
    }
    return nullptr;
}

void Invalid(const char* what, uint32_t unit, int32_t property) {
    char message[160];
    std::snprintf(message, sizeof message, "%s: unit %#x property %d", what, static_cast<unsigned>(unit), property);
    invalidAccesses.push_back(message);
}

// The Text properties of each kind (from 8 upward), and the truth values.
enum class Slot { None, Text, Checked };

Slot SlotOf(const SimUnit& unit, int32_t property) {
    switch (unit.description->kind) {
    case UnitKind::Label:
    case UnitKind::Button:
    case UnitKind::GroupBox:
    case UnitKind::EditBox:
        return property == 8 ? Slot::Text : Slot::None;
    case UnitKind::RadioButton:
        return property == 8 ? Slot::Text : property == PropChecked ? Slot::Checked : Slot::None;
    case UnitKind::ComboBox:
        return property == PropComboText ? Slot::Text : Slot::None;
    case UnitKind::Window:
        return Slot::None;
    }
    return Slot::None;
}

Text CopyToHeap(const std::string& text) {
    if (text.empty()) return nullptr;
    Text block = AllocateText(static_cast<int32_t>(text.size() + 1));
    std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

// Common to both calls: the window check, the hook, the step count and the
// refusal of a stopped worker's call or of any worker call once the window is gone.
bool BeginCall(SimPropertyAccess& access) {
    access.worker = CurrentWorkerToken();
    access.tick = SimCurrentTick();
    if (access.worker != 0 && accessHook && !inAccessHook) {
        inAccessHook = true;
        auto hook = accessHook;
        SimRunAsUser([&] { hook(access); });
        inAccessHook = false;
    }
    SimNoteWorkerStep();
    access.refused = access.worker != 0 && (WorkerTokenStopped(access.worker) || !windowOpen);
    if (!access.refused && !windowOpen) Invalid("window thread call after the window closed", access.unit, access.property);
    return !access.refused && windowOpen;
}

void Log(const SimPropertyAccess& access) {
    if (logging) accessLog.push_back(access);
}

void RaiseSizeChanged() {
    const SimUnit* window = FindSimUnit(WindowUnitId);
    EventHandler handler = FindEventHandler(*window->description, EventSizeChanged);
    if (handler != nullptr) SimRunAsUser(handler);
}

} // namespace

PropertyValue ReadProperty(uint32_t window, uint32_t unitId, int32_t property, int32_t index) {
    if (window != MainWindowId) FatalRuntimeError(WindowNotLoaded);
    SimPropertyAccess access{false, unitId, property, 0, 0, false, false, std::string(), 0};
    const bool live = BeginCall(access);
    SimUnit* unit = FindSimUnit(unitId);
    if (unit == nullptr || index != -1) {
        Invalid(unit == nullptr ? "read of an unknown unit" : "read with an index", unitId, property);
        Log(access);
        return 0;
    }
    PropertyValue result = 0;
    const Slot slot = property >= 8 ? SlotOf(*unit, property) : Slot::None;
    access.isText = property == PropTag || slot == Slot::Text;
    if (property >= 8 && slot == Slot::None) {
        Invalid("read of a property the unit does not have", unitId, property);
    } else if (live) {
        switch (property) {
        case PropLeft: result = unit->left; break;
        case PropTop: result = unit->top; break;
        case PropWidth: result = unit->width; break;
        case PropHeight: result = unit->height; break;
        case PropTag: result = 0; break; // no unit of this window has a tag
        case PropVisible: result = unit->visible ? 1 : 0; break;
        case PropDisabled: result = unit->disabled ? 1 : 0; break;
        case PropCursor: result = 0; break;
        default:
            if (slot == Slot::Checked) {
                result = unit->checked ? 1 : 0;
            } else {
                access.text = unit->text;
                result = reinterpret_cast<PropertyValue>(CopyToHeap(unit->text));
            }
        }
    }
    access.value = access.isText ? 0 : result;
    Log(access);
    return result;
}

void WriteProperty(uint32_t window, uint32_t unitId, int32_t property, int32_t index, PropertyValue value,
                   int32_t /*high*/) {
    if (window != MainWindowId) FatalRuntimeError(WindowNotLoaded);
    SimUnit* unit = FindSimUnit(unitId);
    const Slot slot = unit != nullptr && property >= 8 ? SlotOf(*unit, property) : Slot::None;
    const bool isText = property == PropTag || slot == Slot::Text;
    SimPropertyAccess access{true, unitId, property, 0, 0, false, isText, std::string(), isText ? 0 : value};
    if (isText && value != 0) access.text = reinterpret_cast<const char*>(value);
    const bool live = BeginCall(access);
    Log(access);
    if (unit == nullptr || index != -1) {
        Invalid(unit == nullptr ? "write of an unknown unit" : "write with an index", unitId, property);
        return;
    }
    if (property >= 8 && slot == Slot::None) {
        Invalid("write of a property the unit does not have", unitId, property);
        return;
    }
    if (!live) return;
    switch (property) {
    case PropLeft: unit->left = ClampPlace(value); break;
    case PropTop: unit->top = ClampPlace(value); break;
    case PropWidth:
    case PropHeight: {
        int32_t& extent = property == PropWidth ? unit->width : unit->height;
        const int32_t next = ClampExtent(value);
        const bool changed = next != extent;
        extent = next;
        if (changed && unitId == WindowUnitId) RaiseSizeChanged();
        break;
    }
    case PropTag: break;
    case PropVisible: unit->visible = value != 0; break;
    case PropDisabled: unit->disabled = value != 0; break;
    case PropCursor: break;
    default:
        if (slot == Slot::Checked) {
            unit->checked = value != 0; // a program write leaves the partner alone
        } else {
            unit->text = access.text;
            if (unitId == 标签5 && property == PropCaption) {
                labelHistory.push_back(SimLabelWrite{access.tick, access.worker, access.text});
            }
        }
    }
}

void SimResetWindow() {
    BuildUnits();
    windowOpen = true;
    logging = true;
    accessLog.clear();
    labelHistory.clear();
    invalidAccesses.clear();
    accessHook = nullptr;
    inAccessHook = false;
}

const std::vector<SimPropertyAccess>& SimPropertyLog() { return accessLog; }

void SimSetPropertyLogging(bool on) { logging = on; }

const std::vector<SimLabelWrite>& SimLabelHistory() { return labelHistory; }

void SimSetPropertyAccessHook(std::function<void(const SimPropertyAccess&)> hook) { accessHook = std::move(hook); }

int64_t SimInvalidAccessCount() { return static_cast<int64_t>(invalidAccesses.size()); }

const std::vector<std::string>& SimInvalidAccesses() { return invalidAccesses; }

bool SimClick(uint32_t unitId) {
    SimUnit* unit = FindSimUnit(unitId);
    if (unit == nullptr || !windowOpen) {
        Invalid("click on a unit that is not there", unitId, -1);
        return false;
    }
    if (unit->disabled || !unit->visible) return false;
    if (unit->description->kind == UnitKind::RadioButton) {
        for (SimUnit& other : units) {
            if (other.description->kind == UnitKind::RadioButton && other.description->parent == unit->description->parent) {
                other.checked = false;
            }
        }
        unit->checked = true;
    }
    EventHandler handler = FindEventHandler(*unit->description, EventClicked);
    if (handler != nullptr) SimRunAsUser(handler);
    return true;
}

void SimType(uint32_t unitId, const std::string& text) {
    SimUnit* unit = FindSimUnit(unitId);
    if (unit == nullptr || (unit->description->kind != UnitKind::EditBox && unit->description->kind != UnitKind::ComboBox)) {
        Invalid("typing into a unit that takes no typing", unitId, -1);
        return;
    }
    unit->text = text;
}

std::string SimText(uint32_t unitId) {
    const SimUnit* unit = FindSimUnit(unitId);
    return unit != nullptr ? unit->text : std::string();
}

bool SimChecked(uint32_t unitId) {
    const SimUnit* unit = FindSimUnit(unitId);
    return unit != nullptr && unit->checked;
}

bool SimDisabled(uint32_t unitId) {
    const SimUnit* unit = FindSimUnit(unitId);
    return unit != nullptr && unit->disabled;
}

void SimCloseWindow() { windowOpen = false; }
