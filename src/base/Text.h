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

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsAsciiAlnum(char c) {
    return IsDigit(c) || IsAsciiLetter(c);
}

// Letters, digits, "-" and "_", from `least` to `most` of them: text that
// needs no escaping wherever it is shown or kept.
inline bool IsToken(std::string_view text, std::size_t least, std::size_t most) {
    return text.size() >= least && text.size() <= most &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return IsAsciiAlnum(c) || c == '-' || c == '_'; });
}

// The value of a hexadecimal digit in either case, or -1 for any other byte.
inline int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline bool IsHexDigit(char c) {
    return HexValue(c) >= 0;
}

// The pieces of `text` between each `separator`: "a,,b" gives "a", "" and
// "b"; an empty text gives one empty piece.
std::vector<std::string_view> Split(std::string_view text, char separator);

// The lines of a text, a closing line feed ending the last one rather than
// starting another.
std::vector<std::string_view> Lines(std::string_view text);
// The last `count` of them, in order.
std::vector<std::string> LastLines(std::string_view text, std::size_t count);

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

// A kept list entry (a host from a launch URL) as printable ASCII with no
// blank: every byte that could end a line, hide in the blanks around "=" or
// not be text (blanks, controls, "%", bytes 0x7F and above) is written
// "%XX". EntryDecoded reads it back, and any other "%" as it stands.
std::string EntryEncoded(std::string_view value);
std::string EntryDecoded(std::string_view text);

// A file mode as "ls -l" and chmod write it in octal: "0600".
inline std::string Octal(unsigned mode) {
    std::string text(4, '0');
    for (std::size_t i = text.size(); i-- > 0; mode >>= 3)
        text[i] = static_cast<char>('0' + (mode & 7));
    return text;
}

}  // namespace torvale
