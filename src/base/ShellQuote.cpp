#include "base/ShellQuote.h"

#include <algorithm>

#include "base/Path.h"
#include "base/Text.h"

namespace torvale {
namespace {

bool IsSafe(unsigned char c) {
    if (c >= 0x80) return true;
    if (IsAsciiAlnum(static_cast<char>(c))) return true;
    switch (c) {
        case '_':
        case '@':
        case '%':
        case '+':
        case '=':
        case ':':
        case ',':
        case '.':
        case '/':
        case '-':
            return true;
        default:
            return false;
    }
}

// A byte of a multibyte character right before an ASCII digit: GB18030's
// four-byte form, which bash completes with whatever byte comes next.
bool SplitsBefore(std::string_view text, std::size_t i) {
    return i > 0 && static_cast<unsigned char>(text[i - 1]) >= 0x80 && text[i] >= '0' &&
           text[i] <= '9';
}

bool NeedsQuotes(std::string_view value) {
    if (!value.empty() && value.front() == '=') return true;  // zsh's =command expansion
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!IsSafe(static_cast<unsigned char>(value[i])) || SplitsBefore(value, i)) return true;
    }
    return false;
}

// Characters that keep a meaning inside double quotes.
bool IsSpecialInDoubleQuotes(char c) {
    return c == '"' || c == '\\' || c == '$' || c == '`';
}

}  // namespace

std::string ShellQuote(std::string_view value) {
    if (!NeedsQuotes(value)) return std::string(value);
    return "'" + ShellQuotedPart(value, 0, value.size()) + "'";
}

std::string ShellQuotedPart(std::string_view value, std::size_t begin, std::size_t end) {
    if (!NeedsQuotes(value)) return std::string(value.substr(begin, end - begin));
    std::string quoted;
    for (std::size_t i = begin; i < end; ++i) {
        if (SplitsBefore(value, i)) quoted += "''";
        if (value[i] == '\'') {
            quoted += "'\"'\"'";
        } else {
            quoted += value[i];
        }
    }
    return quoted;
}

std::string DoubleQuoted(std::string_view text) {
    if (text.empty()) return "\"\"";
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool special = IsSpecialInDoubleQuotes(text[i]);
        std::size_t end = i;
        while (end < text.size() && IsSpecialInDoubleQuotes(text[end]) == special)
            ++end;
        const char quote = special ? '\'' : '"';
        out += quote;
        for (std::size_t k = i; k < end; ++k) {
            if (SplitsBefore(text, k)) out += {quote, quote};
            out += text[k];
        }
        out += quote;
        i = end;
    }
    return out;
}

std::string ProgramWord(std::string_view path) {
    const std::size_t start = NameStart(path);
    const std::string_view name = BaseName(path);
    std::string word = start == 0 ? "" : ShellQuote(path.substr(0, start - 1)) + "/";
    word += NeedsQuotes(name) ? DoubleQuoted(name) : std::string(name);
    return word;
}

}  // namespace torvale
