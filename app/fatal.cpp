// The fatal path: an error box on the calling thread, then exit code -1.
#include "app/fatal.h"

#include <windows.h>

#include <string>

#include "app/encoding.h"

void FatalRuntimeError(const char* message) {
    // "运行时出错!" CR LF CR LF "错误信息：" message CR LF
    std::string text = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";
    if (message != nullptr) text += message;
    text += "\r\n";
    const std::wstring caption = WideFromText("\xB4\xED\xCE\xF3"); // 错误
    MessageBoxW(nullptr, WideFromText(text.c_str()).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}
