#include "base/Utf8.h"

namespace torvale::utf8 {

// Unicode Table 3-7, "Well-Formed UTF-8 Byte Sequences".
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return 1;

    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;   // overlong
        if (b0 == 0xED) high = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;   // overlong
        if (b0 == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    const unsigned char b1 = byte(i + 1);
    if (b1 < low || b1 > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

std::optional<std::size_t> FirstInvalidByte(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) return i;
        i += length;
    }
    return std::nullopt;
}

std::optional<std::size_t> OffsetAfterUtf16Units(std::string_view text, std::size_t units) {
    std::size_t i = 0;
    std::size_t counted = 0;
    while (i < text.size() && counted < units) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) return std::nullopt;
        const std::size_t unitsHere = length == 4 ? 2 : 1;
        if (counted + unitsHere > units) return std::nullopt;
        counted += unitsHere;
        i += length;
    }
    return i;
}

}  // namespace torvale::utf8
