#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// The text without the blanks and tabs around it, nor a closing carriage
// return: how a line of a file edited by hand is read.
inline std::string_view Trim(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal but for the case of ASCII letters, as host names compare.
inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

// Of the `known` words, the one `word` most likely misspells (by edits,
// case aside): what a message can offer as "did you mean"; empty when none
// is near enough to be a slip.
std::string_view Nearest(std::string_view word, const std::vector<std::string_view>& known);

// A file mode as "ls -l" and chmod write it in octal: "0600".
inline std::string Octal(unsigned mode) {
    std::string text(4, '0');
    for (std::size_t i = text.size(); i-- > 0; mode >>= 3)
        text[i] = static_cast<char>('0' + (mode & 7));
    return text;
}

}  // namespace torvale
