#include "base/Base64.h"

#include <algorithm>

namespace torvale {
namespace {

int SextetOf(char c, bool url) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == (url ? '-' : '+')) return 62;
    if (c == (url ? '_' : '/')) return 63;
    return -1;
}

std::optional<std::string> Decode(std::string_view text, bool url) {
    if (!url && text.size() % 4 != 0) return std::nullopt;
    if (!url) {
        // At most two padding characters, and only at the end.
        const std::size_t padding = text.size() - std::min(text.find('='), text.size());
        if (padding > 2 || text.find_first_not_of('=', text.size() - padding) != text.npos)
            return std::nullopt;
        text.remove_suffix(padding);
    }
    // A lone last character holds six bits: no encoder ends there.
    if (text.size() % 4 == 1) return std::nullopt;
    std::string bytes;
    unsigned bits = 0;
    int held = 0;
    for (const char c : text) {
        const int sextet = SextetOf(c, url);
        if (sextet < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(sextet);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    // The bits left over are the encoder's zeros; others mean another text.
    if ((bits & ((1u << held) - 1)) != 0) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> DecodeBase64(std::string_view text) {
    return Decode(text, false);
}

std::optional<std::string> DecodeBase64Url(std::string_view text) {
    return Decode(text, true);
}

}  // namespace torvale
