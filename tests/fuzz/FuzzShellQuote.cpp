// Command lines of arbitrary words: the line LineOf writes splits, by a model
// of the POSIX shell's quoting, into exactly the words of ArgvOf. The line
// holds nothing a shell expands or reads as syntax, and no byte of 0x80 and
// above right before a digit or an escaping backslash: bash takes the two
// for one character in GBK, Big5, GB18030 and Shift-JIS.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "core/plan/Plan.h"

namespace {

void Expect(bool ok) {
    if (!ok) __builtin_trap();
}

bool OneOf(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}

// The words a shell makes of a line of simple words; anything else traps.
std::vector<std::string> Split(std::string_view line) {
    std::vector<std::string> words;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i], next = i + 1 < line.size() ? line[i + 1] : ' ';
        const bool high = static_cast<unsigned char>(c) >= 0x80;
        Expect(!high || !(OneOf(next, "0123456789") || (next == '\\' && quote != '\'')));
        if (quote == '\'' && c != '\'') {
            words.back() += c;
        } else if (quote == '"' && c == '\\' && OneOf(next, "$`\"\\\n")) {
            if (line[++i] != '\n') words.back() += next;
        } else if (quote == '"' && c != '"') {
            Expect(c != '$' && c != '`');
            words.back() += c;
        } else if (quote != 0) {
            quote = 0;
        } else if (c == ' ' || c == '\t') {
            inWord = false;
        } else if (c == '\\' && next == '\n') {
            ++i;
        } else {
            if (!inWord) words.emplace_back();
            Expect(inWord || c != '=');  // zsh's =command expansion
            inWord = true;
            if (c == '\'' || c == '"') {
                quote = c;
            } else {
                Expect(c == '\\' ? i + 1 < line.size()
                                 : high || torvale::IsAsciiAlnum(c) || OneOf(c, "_@%+=:,./-"));
                words.back() += c == '\\' ? line[++i] : c;
            }
        }
    }
    Expect(quote == 0);
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using torvale::Quoting;
    FuzzedDataProvider input(data, size);
    auto text = [&] {
        std::string s = input.ConsumeRandomLengthString(24);
        s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());  // no NUL reaches a line
        return s;
    };
    // A program's path is a word alone, the first one in every line. Literals
    // are the application's own fixed text, never empty as none of its own is:
    // an empty one would set two runs of values, each quoted alone, side by side.
    const char* const kLiterals[] = {"-l", "--", "/", "://", "@", ":", "/v:", "SSH_ASKPASS="};
    torvale::Command command;
    command.words.push_back({{"/" + text(), Quoting::Program}});
    while (input.remaining_bytes() > 0 && command.words.size() < 8) {
        torvale::Word& word = command.words.emplace_back();
        if (input.ConsumeBool()) word.push_back({"/" + text(), Quoting::Program});
        for (int n = word.empty() ? input.ConsumeIntegralInRange(0, 4) : 0; n > 0; --n) {
            const int kind = input.ConsumeIntegralInRange(0, 2);
            word.push_back(
                kind == 0
                    ? torvale::Piece{input.PickValueInArray(kLiterals), Quoting::Literal}
                    : torvale::Piece{text(), kind == 1 ? Quoting::Value : Quoting::DoubleQuoted});
        }
    }
    Expect(Split(torvale::LineOf(command)) == torvale::ArgvOf(command));
    return 0;
}
