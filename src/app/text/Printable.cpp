#include "app/text/Printable.h"

#include "app/text/Utf8.h"

namespace torvale {
namespace {

void AppendByte(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// The code point of a three-byte sequence.
unsigned CodePoint3(std::string_view text, std::size_t i) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]) & 0x3fu; };
    return (static_cast<unsigned char>(text[i]) & 0x0fu) << 12 | b(1) << 6 | b(2);
}

bool IsFormatCharacter(unsigned c) {
    return (c >= 0x200b && c <= 0x200f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xfeff;
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
    } else if (length == 3 && IsFormatCharacter(CodePoint3(text, i))) {
        static constexpr char kHex[] = "0123456789abcdef";
        const unsigned c = CodePoint3(text, i);
        out += {'\\', 'u', kHex[c >> 12], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15], kHex[c & 15]};
    } else {
        out.append(text.substr(i, length));
    }
    return length;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        i += Escape(text, i, false, out);
    return out;
}

std::string ForDialog(std::string_view text, std::size_t limit) {
    std::string out;
    std::size_t i = 0;
    for (std::size_t shown = 0; i < text.size() && shown < limit; ++shown)
        i += Escape(text, i, true, out);
    if (i == text.size()) return out;
    std::size_t left = 0;
    for (; i < text.size(); ++left) {
        const std::size_t length = utf8::SequenceLength(text, i);
        i += length == 0 ? 1 : length;
    }
    return out + "…（另有 " + std::to_string(left) + " 个字符未显示）";
}

}  // namespace torvale
