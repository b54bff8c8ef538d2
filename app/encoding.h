// Conversion between the program's code page 936 texts and the window system's
// UTF-16, done once at each window call.
#pragma once
#include <string>

#include "app/text_heap.h"

constexpr unsigned ProgramCodePage = 936;

// UTF-16 of a code page 936 text; null gives an empty string.
std::wstring WideFromText(const char* text);

// A new Text (code page 936) from UTF-16; characters 936 cannot hold become
// "?". Null when the result is empty.
Text TextFromWide(const wchar_t* wide, int length);
