#include "app/encoding.h"

#include <windows.h>

#include <cstring>

std::wstring WideFromText(const char* text) {
    if (text == nullptr || *text == '\0') return std::wstring();
    const int length = static_cast<int>(std::strlen(text));
    const int needed = MultiByteToWideChar(ProgramCodePage, 0, text, length, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(ProgramCodePage, 0, text, length, &wide[0], needed);
    return wide;
}

Text TextFromWide(const wchar_t* wide, int length) {
    if (wide == nullptr || length <= 0) return nullptr;
    const int needed = WideCharToMultiByte(ProgramCodePage, 0, wide, length, nullptr, 0, "?", nullptr);
    if (needed <= 0) return nullptr;
    Text text = AllocateText(needed + 1);
    WideCharToMultiByte(ProgramCodePage, 0, wide, length, text, needed, "?", nullptr);
    text[needed] = '\0';
    return text;
}
