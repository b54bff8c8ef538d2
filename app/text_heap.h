// The text heap: every Text the program hands back comes from here.
#pragma once
#include <cstdint>

// A NUL-terminated byte string in code page 936. Null stands for the empty text.
using Text = char*;

// Takes a block of `size` bytes; never returns null (ends the program when the
// heap cannot supply it).
Text AllocateText(int32_t size);

// Releases a block from AllocateText. Null and the program's own constant texts
// are left alone.
void FreeText(const char* text);
