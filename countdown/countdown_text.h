// Text helpers shared by both countdown workers.
#pragma once
#include <cstdint>

#include "app/text_heap.h"

// Bytes before the terminating NUL; 0 for null.
int32_t TextLength(const char* text);

// Joins `count` texts (const char*, null counting as empty) into a new Text.
Text JoinTexts(int32_t count, ...);

// x truncated toward zero, low 32 bits read as a signed integer.
int32_t TruncateToInt32(double x);

// "剩余时间:" days "天" hours "时" minutes "分" seconds "秒", as a new Text.
Text RemainingTimeText(int32_t days, int32_t hours, int32_t minutes, int32_t seconds);
