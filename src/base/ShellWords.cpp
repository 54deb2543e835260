#include "base/ShellWords.h"

namespace torvale {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Characters the shell acts on when they stand unquoted.
bool IsSpecial(char c) {
    switch (c) {
        case '|':
        case '&':
        case ';':
        case '<':
        case '>':
        case '(':
        case ')':
        case '$':
        case '`':
        case '*':
        case '?':
        case '[':
        case '{':
        case '}':
        case '~':
        case '\n':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<std::vector<std::string>> ShellWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        if (!inWord && c == '#') return std::nullopt;
        inWord = true;
        if (c == '\'') {
            const std::size_t end = line.find('\'', i + 1);
            if (end == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return std::nullopt;
                const char d = line[i];
                if (d == '"') break;
                if (d == '$' || d == '`') return std::nullopt;
                if (d == '\\' && i + 1 < line.size()) {
                    const char next = line[i + 1];
                    if (next == '\\' || next == '"' || next == '$' || next == '`') {
                        word += next;
                        ++i;
                        continue;
                    }
                    if (next == '\n') {  // line continuation
                        ++i;
                        continue;
                    }
                }
                word += d;
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= line.size()) return std::nullopt;
            if (line[i + 1] != '\n') word += line[i + 1];
            i += 2;
        } else if (IsSpecial(c)) {
            return std::nullopt;
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace torvale
