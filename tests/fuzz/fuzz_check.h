// A property check for the fuzz targets: a failure names the property and
// aborts, so that libFuzzer saves the input.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/conversions.h"

#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// The full-width fold of a text, as a string ("" for an empty result).
inline std::string Folded(const char* text) {
    Text folded = FoldFullWidth(text);
    const std::string copy = folded != nullptr ? folded : "";
    FreeText(folded);
    return copy;
}
