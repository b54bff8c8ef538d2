// TextToInt, TextToInt64 and the full-width fold on arbitrary bytes (up to the
// first NUL). TextToInt is the low 32 bits of TextToInt64; both read the folded
// text; leading white space and trailing text change nothing; a sign in front
// negates; the fold is idempotent, never grows the text and leaves no foldable
// character. The integers' own texts read back as themselves.
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/conversions.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

int32_t Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* c = text.c_str();
    const int64_t value = TextToInt64(c);
    FUZZ_CHECK(TextToInt(c) == Low32(value));

    const std::string folded = Folded(c);
    FUZZ_CHECK(TextToInt64(folded.c_str()) == value);
    FUZZ_CHECK(Folded(folded.c_str()) == folded);
    FUZZ_CHECK(folded.size() <= std::strlen(c));
    for (size_t i = 0; i < folded.size();) {
        const unsigned char lead = static_cast<unsigned char>(folded[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        FUZZ_CHECK(i + 1 < folded.size()); // no lone lead byte at the end
        const unsigned char trail = static_cast<unsigned char>(folded[i + 1]);
        FUZZ_CHECK(!(lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE));
        FUZZ_CHECK(!(lead == 0xA1 && (trail == 0xA1 || trail == 0xAB || trail == 0xEE || trail == 0xEF)));
        i += 2;
    }

    FUZZ_CHECK(TextToInt64((" \t" + text).c_str()) == value);
    FUZZ_CHECK(TextToInt64((text + "x").c_str()) == value);
    FUZZ_CHECK(TextToInt64((text + "\xA3").c_str()) == value);
    const unsigned char first = folded.empty() ? 0 : static_cast<unsigned char>(folded[0]);
    const bool startsPlain = first != '+' && first != '-' && first != ' ' && !(first >= '\t' && first <= '\r');
    if (startsPlain) {
        FUZZ_CHECK(static_cast<uint64_t>(TextToInt64(("-" + text).c_str())) == 0u - static_cast<uint64_t>(value));
        FUZZ_CHECK(TextToInt64(("+" + text).c_str()) == value);
    }

    // The decimal texts of integers taken from the input read back exactly.
    int64_t wide = 0;
    std::memcpy(&wide, data, size < sizeof wide ? size : sizeof wide);
    FUZZ_CHECK(TextToInt64(std::to_string(wide).c_str()) == wide);
    Text narrow = NumberToText(Low32(wide));
    FUZZ_CHECK(narrow != nullptr && TextToInt(narrow) == Low32(wide) && TextToInt64(narrow) == Low32(wide));
    FreeText(narrow);
    return 0;
}
