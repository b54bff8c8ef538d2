// Control access: the only way the program reaches its window and controls.
#pragma once
#include <cstdint>

#include "app/text_heap.h"

constexpr uint32_t MainWindowId = 0x52010001u;
constexpr uint32_t WindowUnitId = 0x06010000u;

// Property numbers. 0 to 7 mean the same for every kind of unit; from 8 upward
// each kind numbers its own.
enum PropertyNumber : int32_t {
    PropLeft = 0,
    PropTop = 1,
    PropWidth = 2,
    PropHeight = 3,
    PropTag = 4,
    PropVisible = 5,
    PropDisabled = 6,
    PropCursor = 7,
    PropCaption = 8,   // label caption, button / radio button / group box caption
    PropContent = 8,   // edit box content
    PropComboText = 9, // text of a combo box's edit field
    PropChecked = 18,  // radio button check mark
};

// Largest size a width or height write accepts.
constexpr int32_t MaxUnitExtent = 32627;

// What a write of a width or height (0 to 32627) and of a left or top
// (-32627 to 32627) stores.
inline int32_t ClampExtent(intptr_t value) {
    return value > MaxUnitExtent ? MaxUnitExtent : value < 0 ? 0 : static_cast<int32_t>(value);
}
inline int32_t ClampPlace(intptr_t value) {
    return value > MaxUnitExtent ? MaxUnitExtent : value < -MaxUnitExtent ? -MaxUnitExtent : static_cast<int32_t>(value);
}

// A property value: an integer, a truth value (1 or 0) or a Text, depending on
// the property. Pointer-sized so that a Text fits on every build.
using PropertyValue = intptr_t;

// Reads a property. Booleans come back as exactly 1 or 0; a Text comes back as a
// new block the caller releases with FreeText, or null when empty.
PropertyValue ReadProperty(uint32_t window, uint32_t unit, int32_t property, int32_t index);

// Writes a property. A Text value is copied; null means the empty text.
// `high` carries the upper half of 64-bit values and is 0 for every property
// the program uses.
void WriteProperty(uint32_t window, uint32_t unit, int32_t property, int32_t index,
                   PropertyValue value, int32_t high);

// Shorthands used by the program's logic; they go through the two calls above.
inline Text ReadText(uint32_t unit, int32_t property) {
    return reinterpret_cast<Text>(ReadProperty(MainWindowId, unit, property, -1));
}
inline int32_t ReadInteger(uint32_t unit, int32_t property) {
    return static_cast<int32_t>(ReadProperty(MainWindowId, unit, property, -1));
}
inline void WriteText(uint32_t unit, int32_t property, const char* text) {
    WriteProperty(MainWindowId, unit, property, -1, reinterpret_cast<PropertyValue>(text), 0);
}
inline void WriteInteger(uint32_t unit, int32_t property, int32_t value) {
    WriteProperty(MainWindowId, unit, property, -1, value, 0);
}
