#include "base/Printable.h"

#include <utility>

#include "base/Utf8.h"

namespace torvale {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendByte(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// The code point of the well-formed sequence of `length` bytes at `text[i]`.
char32_t CodePoint(std::string_view text, std::size_t i, std::size_t length) {
    static constexpr unsigned kLeadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    char32_t c = static_cast<unsigned char>(text[i]) & kLeadBits[length];
    for (std::size_t k = 1; k < length; ++k)
        c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3fu);
    return c;
}

// Characters that show nothing of themselves yet hide, join, reorder or break
// the text around them: the default-ignorable code points (soft hyphen,
// joiners, bidirectional controls, variation selectors, Hangul fillers,
// tags, ...), the interlinear annotation marks and the line and paragraph
// separators.
bool IsInvisible(char32_t c) {
    static constexpr std::pair<char32_t, char32_t> kRanges[] = {
        {0x00ad, 0x00ad},   {0x034f, 0x034f}, {0x061c, 0x061c},   {0x115f, 0x1160},
        {0x17b4, 0x17b5},   {0x180b, 0x180f}, {0x200b, 0x200f},   {0x2028, 0x202e},
        {0x2060, 0x206f},   {0x3164, 0x3164}, {0xfe00, 0xfe0f},   {0xfeff, 0xfeff},
        {0xffa0, 0xffa0},   {0xfff0, 0xfffb}, {0x1bca0, 0x1bca3}, {0x1d173, 0x1d17a},
        {0xe0000, 0xe0fff},
    };
    for (const auto& [first, last] : kRanges) {
        if (c >= first && c <= last) return true;
    }
    return false;
}

// Escapes `text[i]` and what belongs to it into `out`; answers how many
// bytes it took. `dialog`: line feeds and tabs stay, backslashes too.
std::size_t Escape(std::string_view text, std::size_t i, bool dialog, std::string& out) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = utf8::SequenceLength(text, i);
    if (dialog && (byte == '\n' || byte == '\t' || byte == '\\')) {
        out += static_cast<char>(byte);
    } else if (byte == '\\') {
        out += "\\\\";
    } else if (byte == '\n') {
        out += "\\n";
    } else if (byte == '\t') {
        out += "\\t";
    } else if (byte == '\r') {
        out += "\\r";
    } else if (byte < 0x20 || byte == 0x7f || length == 0) {
        AppendByte(out, byte);
        return 1;
    } else if (byte == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
        AppendByte(out, byte);  // a C1 control, U+0080 to U+009F
        AppendByte(out, static_cast<unsigned char>(text[i + 1]));
    } else if (length > 1 && IsInvisible(CodePoint(text, i, length))) {
        const char32_t c = CodePoint(text, i, length);
        const int digits = c > 0xffff ? 8 : 4;
        out += c > 0xffff ? "\\U" : "\\u";
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            out += kHex[(c >> shift) & 15];
    } else {
        out.append(text.substr(i, length));
    }
    return length;
}

// Escapes the first `limit` characters of `text` into `out`; answers the
// offset where it stopped.
std::size_t EscapeUpTo(std::string_view text, std::size_t limit, bool dialog, std::string& out) {
    std::size_t i = 0;
    for (std::size_t shown = 0; i < text.size() && shown < limit; ++shown)
        i += Escape(text, i, dialog, out);
    return i;
}

}  // namespace

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    if (EscapeUpTo(text, limit, false, out) < text.size()) out += "…";
    return out;
}

std::string ForDialog(std::string_view text, std::size_t limit) {
    std::string out;
    std::size_t i = EscapeUpTo(text, limit, true, out);
    if (i == text.size()) return out;
    std::size_t left = 0;
    for (; i < text.size(); ++left) {
        const std::size_t length = utf8::SequenceLength(text, i);
        i += length == 0 ? 1 : length;
    }
    return out + "…（另有 " + std::to_string(left) + " 个字符未显示）";
}

}  // namespace torvale
