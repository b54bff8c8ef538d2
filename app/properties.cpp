// Control access. Every call acts on the live control on the window's own
// thread: a call from a worker is carried there and waits for it.
#include "app/properties.h"

#include <windows.h>

#include <string>

#include "app/encoding.h"
#include "app/fatal.h"
#include "app/window.h"
#include "runtime/threads.h"

namespace {

const char* const WindowNotLoaded =
    "\xCE\xB4\xD4\xD8\xC8\xEB\xD3\xFB\xB7\xC3\xCE\xCA\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xCB\xF9\xD4\xDA\xB5\xC4\xB4\xB0\xBF\xDA"; // 未载入欲访问窗口组件所在的窗口
const char* const ControlNotCreated = "\xD6\xB8\xB6\xA8\xB4\xB0\xBF\xDA\xC9\xD0\xCE\xB4\xD4\xD8\xC8\xEB"; // 指定窗口尚未载入

struct PropertyCall {
    bool write;
    uint32_t window;
    uint32_t unit;
    int32_t property;
    PropertyValue value;
    uintptr_t worker; // the calling worker
    bool done;
    PropertyValue result;
};

Text CopyText(const char* text) {
    if (text == nullptr || *text == '\0') return nullptr;
    const size_t length = std::char_traits<char>::length(text);
    Text copy = AllocateText(static_cast<int32_t>(length + 1));
    std::char_traits<char>::copy(copy, text, length + 1);
    return copy;
}

Text ReadWindowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return nullptr;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, &wide[0], length + 1);
    return TextFromWide(wide.c_str(), copied);
}

// The outer rectangle of a control, relative to its parent's client area.
RECT PlaceInParent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    if (HWND parent = GetParent(control)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The property of the kind's own numbering (8 and up) that the program knows.
enum class KindProperty { None, Caption, ComboText, Checked };

KindProperty KindPropertyOf(UnitKind kind, int32_t property) {
    switch (kind) {
    case UnitKind::Window:
    case UnitKind::Label:
    case UnitKind::EditBox:
    case UnitKind::Button:
    case UnitKind::GroupBox:
        return property == PropCaption ? KindProperty::Caption : KindProperty::None;
    case UnitKind::RadioButton:
        if (property == PropCaption) return KindProperty::Caption;
        return property == PropChecked ? KindProperty::Checked : KindProperty::None;
    case UnitKind::ComboBox:
        return property == PropComboText ? KindProperty::ComboText : KindProperty::None;
    }
    return KindProperty::None;
}

UnitState& FindTarget(uint32_t window, uint32_t unit) {
    LoadedWindow* loaded = FindLoadedWindow(window);
    if (loaded == nullptr) FatalRuntimeError(WindowNotLoaded);
    UnitState* state = FindUnitState(*loaded, unit);
    if (state == nullptr) FatalRuntimeError(WindowNotLoaded);
    return *state;
}

PropertyValue ReadOnWindowThread(uint32_t window, uint32_t unitId, int32_t property) {
    UnitState& unit = FindTarget(window, unitId);
    HWND control = unit.control;
    if (property >= 0 && property <= PropCursor) {
        switch (property) {
        case PropLeft:
        case PropTop:
            if (control == nullptr) return property == PropLeft ? unit.left : unit.top;
            if (unit.description->kind == UnitKind::Window) {
                RECT rect;
                GetWindowRect(control, &rect);
                return property == PropLeft ? rect.left : rect.top;
            } else {
                const RECT rect = PlaceInParent(control);
                return property == PropLeft ? rect.left : rect.top;
            }
        case PropWidth:
        case PropHeight: {
            if (control == nullptr) return property == PropWidth ? unit.width : unit.height;
            RECT rect;
            GetWindowRect(control, &rect);
            return property == PropWidth ? rect.right - rect.left : rect.bottom - rect.top;
        }
        case PropVisible:
            if (control == nullptr) return unit.visible ? 1 : 0;
            return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
        case PropDisabled:
            if (control == nullptr) return unit.disabled ? 1 : 0;
            return IsWindowEnabled(control) ? 0 : 1;
        case PropTag:
            return reinterpret_cast<PropertyValue>(CopyText(unit.tag));
        default:
            return 0; // no mouse cursor of its own
        }
    }
    if (control == nullptr) FatalRuntimeError(ControlNotCreated);
    switch (KindPropertyOf(unit.description->kind, property)) {
    case KindProperty::Caption:
    case KindProperty::ComboText:
        return reinterpret_cast<PropertyValue>(ReadWindowText(control));
    case KindProperty::Checked:
        return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    case KindProperty::None:
        break;
    }
    return 0;
}

void ResizeUnit(UnitState& unit, int32_t width, int32_t height) {
    HWND control = unit.control;
    if (control == nullptr) return;
    // A minimised window keeps the size it is restored to.
    if (unit.description->kind == UnitKind::Window && IsIconic(control)) return;
    RECT rect;
    GetWindowRect(control, &rect);
    const int32_t currentWidth = rect.right - rect.left;
    const int32_t currentHeight = rect.bottom - rect.top;
    const int32_t newWidth = width >= 0 ? width : currentWidth;
    const int32_t newHeight = height >= 0 ? height : currentHeight;
    // The same size again changes nothing and raises no size event.
    if (newWidth == currentWidth && newHeight == currentHeight) return;
    SetWindowPos(control, nullptr, 0, 0, newWidth, newHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveUnit(UnitState& unit) {
    HWND control = unit.control;
    if (control == nullptr) return;
    SetWindowPos(control, nullptr, unit.left, unit.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WriteOnWindowThread(uint32_t window, uint32_t unitId, int32_t property, PropertyValue value) {
    UnitState& unit = FindTarget(window, unitId);
    if (property >= 0 && property <= PropCursor) {
        switch (property) {
        case PropLeft:
            unit.left = ClampPlace(value);
            MoveUnit(unit);
            break;
        case PropTop:
            unit.top = ClampPlace(value);
            MoveUnit(unit);
            break;
        case PropWidth:
            unit.width = ClampExtent(value);
            ResizeUnit(unit, unit.width, -1);
            break;
        case PropHeight:
            unit.height = ClampExtent(value);
            ResizeUnit(unit, -1, unit.height);
            break;
        case PropVisible:
            unit.visible = value != 0;
            if (unit.control != nullptr) ShowWindow(unit.control, unit.visible ? SW_SHOWNA : SW_HIDE);
            break;
        case PropDisabled:
            unit.disabled = value != 0;
            if (unit.control != nullptr) EnableWindow(unit.control, unit.disabled ? FALSE : TRUE);
            break;
        case PropTag:
            FreeText(unit.tag);
            unit.tag = CopyText(reinterpret_cast<const char*>(value));
            break;
        default:
            break; // no mouse cursor of its own
        }
        return;
    }
    HWND control = unit.control;
    if (control == nullptr) FatalRuntimeError(ControlNotCreated);
    switch (KindPropertyOf(unit.description->kind, property)) {
    case KindProperty::Caption:
    case KindProperty::ComboText:
        SetWindowTextW(control, WideFromText(reinterpret_cast<const char*>(value)).c_str());
        break;
    case KindProperty::Checked:
        SendMessageW(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case KindProperty::None:
        break;
    }
}

// Carries a call of another thread to the window thread and waits for it. A
// call of a stopped worker, or one made after the window has gone, does
// nothing and reads as 0 (null).
PropertyValue CarryToWindowThread(PropertyCall& call) {
    if (!AnyWindowWasLoaded()) FatalRuntimeError(WindowNotLoaded);
    if (WorkerTokenStopped(call.worker)) return 0;
    HWND carrier = CallCarrierWindow();
    if (carrier == nullptr) return 0;
    SendMessageW(carrier, WM_APP_PROPERTY_CALL, 0, reinterpret_cast<LPARAM>(&call));
    return call.done ? call.result : 0;
}

} // namespace

void RunCarriedPropertyCall(LPARAM lParam) {
    auto& call = *reinterpret_cast<PropertyCall*>(lParam);
    // Checked here, on the window thread, where Stop runs: once Stop has
    // returned, no call of the stopped worker gets through.
    if (WorkerTokenStopped(call.worker)) return;
    if (call.write) {
        WriteOnWindowThread(call.window, call.unit, call.property, call.value);
    } else {
        call.result = ReadOnWindowThread(call.window, call.unit, call.property);
    }
    call.done = true;
}

PropertyValue ReadProperty(uint32_t window, uint32_t unit, int32_t property, int32_t /*index*/) {
    if (GetCurrentThreadId() == WindowThreadId()) return ReadOnWindowThread(window, unit, property);
    PropertyCall call = {false, window, unit, property, 0, CurrentWorkerToken(), false, 0};
    return CarryToWindowThread(call);
}

void WriteProperty(uint32_t window, uint32_t unit, int32_t property, int32_t /*index*/, PropertyValue value,
                   int32_t /*high*/) {
    if (GetCurrentThreadId() == WindowThreadId()) {
        WriteOnWindowThread(window, unit, property, value);
        return;
    }
    PropertyCall call = {true, window, unit, property, value, CurrentWorkerToken(), false, 0};
    CarryToWindowThread(call);
}
