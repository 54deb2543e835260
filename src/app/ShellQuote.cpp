#include "app/ShellQuote.h"

#include <algorithm>

namespace torvale {
namespace {

bool IsSafe(unsigned char c) {
    if (c >= 0x80) return true;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
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

}  // namespace

std::string ShellQuote(std::string_view value) {
    const bool safe = std::all_of(value.begin(), value.end(),
                                  [](char c) { return IsSafe(static_cast<unsigned char>(c)); });
    if (safe && (value.empty() || value.front() != '=')) return std::string(value);

    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '\'';
    for (char c : value) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

std::string DoubleQuoteEscape(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        if (c == '\\' || c == '"' || c == '$' || c == '`') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace torvale
