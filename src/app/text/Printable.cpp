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

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8::SequenceLength(text, i);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7f || length == 0) {
            AppendByte(out, byte);
        } else if (byte == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
            AppendByte(out, byte);  // a C1 control, U+0080 to U+009F
            AppendByte(out, static_cast<unsigned char>(text[i + 1]));
        } else {
            out.append(text.substr(i, length));
        }
        i += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace torvale
