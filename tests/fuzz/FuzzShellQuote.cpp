// Every quoted value reads back, through a POSIX shell-word reader, as the
// value itself and as one word: standing alone, glued to literal text, and
// in a double-quoted place; and no line holds a backslash the value did not.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ShellQuote.h"
#include "platform/recording/ShellWords.h"

namespace {

void ExpectWords(const std::string& line, const std::vector<std::string>& words) {
    const auto read = torvale::ShellWords(line);
    if (!read || *read != words) std::abort();
}

// No byte 0x80 and above right before a digit: bash in GB18030 would take
// the byte after the digit into one character.
void ExpectNoSplitDigit(const std::string& line) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (static_cast<unsigned char>(line[i - 1]) >= 0x80 && line[i] >= '0' && line[i] <= '9')
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::string lines[] = {
        "open " + torvale::ShellWord(value),
        "open x" + torvale::ShellQuote(value) + "@" + torvale::ShellQuote(value) + ":1",
        "open /v:" + torvale::DoubleQuoted(value),
        "open " + torvale::ProgramWord("/A/" + value),
    };
    ExpectWords(lines[0], {"open", value});
    ExpectWords(lines[1], {"open", "x" + value + "@" + value + ":1"});
    ExpectWords(lines[2], {"open", "/v:" + value});
    if (value.find('/') == std::string::npos && !value.empty())
        ExpectWords(lines[3], {"open", "/A/" + value});
    const bool backslash = value.find('\\') != std::string::npos;
    for (const std::string& line : lines) {
        if (!backslash && line.find('\\') != std::string::npos) std::abort();
        ExpectNoSplitDigit(line);
    }
    return 0;
}
