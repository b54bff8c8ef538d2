// The text heap: blocks from the process's default heap.
#include "app/text_heap.h"

#include <windows.h>

#include <cstdio>

#include "app/fatal.h"

namespace {

// True when `p` lies inside the program's own image, where its constant texts are.
bool InProgramImage(const void* p) {
    static const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    static const DWORD imageSize = [] {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        return nt->OptionalHeader.SizeOfImage;
    }();
    const auto* byte = static_cast<const unsigned char*>(p);
    return byte >= base && byte < base + imageSize;
}

} // namespace

Text AllocateText(int32_t size) {
    void* block = size >= 0 ? HeapAlloc(GetProcessHeap(), 0, size > 0 ? static_cast<SIZE_T>(size) : 1) : nullptr;
    if (block == nullptr) {
        char message[64];
        // 分配 %d 字节内存失败!
        std::snprintf(message, sizeof message, "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!",
                      static_cast<int>(size));
        FatalRuntimeError(message);
    }
    return static_cast<Text>(block);
}

void FreeText(const char* text) {
    if (text == nullptr || InProgramImage(text)) return;
    HeapFree(GetProcessHeap(), 0, const_cast<char*>(text));
}
