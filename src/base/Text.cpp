#include "base/Text.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace torvale {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        pieces.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    pieces.push_back(text);
    return pieces;
}

std::vector<std::string_view> Lines(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.empty()) return {};
    return Split(text, '\n');
}

std::vector<std::string> LastLines(std::string_view text, std::size_t count) {
    const auto lines = Lines(text);
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

std::string_view Nearest(std::string_view word, const std::vector<std::string_view>& known) {
    // The edit distance, a row at a time.
    auto distance = [&](std::string_view other) {
        std::vector<std::size_t> row(other.size() + 1);
        for (std::size_t j = 0; j < row.size(); ++j)
            row[j] = j;
        for (std::size_t i = 1; i <= word.size(); ++i) {
            std::size_t diagonal = row[0]++;
            for (std::size_t j = 1; j <= other.size(); ++j) {
                const std::size_t above = row[j];
                const bool same = AsciiLower(word[i - 1]) == AsciiLower(other[j - 1]);
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
                diagonal = above;
            }
        }
        return row.back();
    };
    std::string_view best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const std::string_view candidate : known) {
        const std::size_t d = distance(candidate);
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

std::string EntryEncoded(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '%') {
            out += {'%', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            out += c;
        }
    }
    return out;
}

std::string EntryDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            out += text[i];
        } else {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return out;
}

}  // namespace torvale
