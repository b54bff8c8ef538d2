// ReplaceText on arbitrary bytes. Input: start (signed byte), count (signed
// byte), flags (bit 0: case-sensitive), then text, search and replacement
// separated by NULs. Checked:
// - a null result stands for the empty text, and a trivial call copies;
// - done again with a one-byte sentinel as the replacement, the result reads as
//   the text with some stretches replaced, where each replaced stretch is an
//   occurrence of the search that starts on a character (the walk takes a byte
//   of 0x80 or more together with the next one), no occurrence on a character
//   start is passed over while the count allows, every two-byte character is
//   copied whole, a lone lead byte is dropped only at the very end, and the
//   count bounds the replacements;
// - the real result is the sentinel result with the replacement put in;
// - from position 1, whole characters in give whole characters out: the
//   result never splits a two-byte character.
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/conversions.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string Take(Text text) {
    const std::string copy = text != nullptr ? text : "";
    FUZZ_CHECK(text == nullptr || !copy.empty()); // empty results are null
    FreeText(text);
    return copy;
}

unsigned char Byte(const std::string& s, size_t i) { return static_cast<unsigned char>(s[i]); }

// True when the walk over whole characters ends exactly at the end.
bool WholeCharacters(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) i += Byte(s, i) < 0x80 ? 1 : 2;
    return i == s.size();
}

bool SameBytes(const std::string& text, size_t at, const std::string& search, bool caseSensitive) {
    for (size_t i = 0; i < search.size(); ++i) {
        unsigned char x = Byte(text, at + i);
        unsigned char y = Byte(search, i);
        if (!caseSensitive) {
            if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
            if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        }
        if (x != y) return false;
    }
    return true;
}

// Reads `out`, the result with `sentinel` as the replacement, against the text.
void CheckSentinelResult(const std::string& text, const std::string& search, int32_t start, int32_t count,
                         bool caseSensitive, const std::string& out, char sentinel) {
    const size_t n = text.size();
    const size_t m = search.size();
    const size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
    if (n == 0 || m == 0 || from >= n || count == 0) {
        FUZZ_CHECK(out == text);
        return;
    }
    FUZZ_CHECK(out.compare(0, from, text, 0, from) == 0); // bytes before the start untouched
    size_t at = from;   // in the text
    size_t k = from;    // in the result
    int64_t replaced = 0;
    bool scanning = true;
    while (scanning && n - at >= m) {
        const bool occurrence = SameBytes(text, at, search, caseSensitive);
        if (k < out.size() && out[k] == sentinel) {
            FUZZ_CHECK(occurrence); // only an occurrence on a character start is replaced
            ++replaced;
            at += m;
            k += 1;
            if (count > 0 && replaced == count) scanning = false;
        } else {
            FUZZ_CHECK(!occurrence); // and none is passed over
            if (Byte(text, at) < 0x80) {
                FUZZ_CHECK(k < out.size() && out[k] == text[at]);
                at += 1;
                k += 1;
            } else if (at + 1 < n) {
                FUZZ_CHECK(k + 1 < out.size() && out.compare(k, 2, text, at, 2) == 0); // copied whole
                at += 2;
                k += 2;
            } else {
                at = n; // the lone lead byte at the very end is dropped
                scanning = false;
            }
        }
    }
    FUZZ_CHECK(k <= out.size() && out.compare(k, std::string::npos, text, at, std::string::npos) == 0);
    if (count > 0) FUZZ_CHECK(replaced <= count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int32_t start = static_cast<int8_t>(data[0]);
    const int32_t count = static_cast<int8_t>(data[1]);
    const bool caseSensitive = (data[2] & 1) != 0;
    std::string parts[3];
    size_t part = 0;
    for (size_t i = 3; i < size && part < 3; ++i) {
        if (data[i] == 0) {
            ++part;
        } else {
            parts[part] += static_cast<char>(data[i]);
        }
    }
    const std::string& text = parts[0];
    const std::string& search = parts[1];
    const std::string& replacement = parts[2];

    const std::string result =
        Take(ReplaceText(text.c_str(), search.c_str(), replacement.c_str(), start, count, caseSensitive));

    // A byte that neither the text nor the search holds marks the replacements.
    bool used[256] = {};
    for (char c : text) used[static_cast<unsigned char>(c)] = true;
    for (char c : search) used[static_cast<unsigned char>(c)] = true;
    char sentinel = 0;
    for (int b = 1; b < 256 && sentinel == 0; ++b) {
        if (!used[b]) sentinel = static_cast<char>(b);
    }
    if (sentinel != 0) {
        const std::string marked = Take(
            ReplaceText(text.c_str(), search.c_str(), std::string(1, sentinel).c_str(), start, count, caseSensitive));
        CheckSentinelResult(text, search, start, count, caseSensitive, marked, sentinel);
        std::string expected;
        for (char c : marked) {
            if (c == sentinel) {
                expected += replacement;
            } else {
                expected += c;
            }
        }
        FUZZ_CHECK(result == expected);
    }

    if (start <= 1 && WholeCharacters(text) && WholeCharacters(search) && WholeCharacters(replacement)) {
        FUZZ_CHECK(WholeCharacters(result));
    }
    return 0;
}
