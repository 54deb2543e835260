// Every quoted value reads back, through a POSIX shell-word reader, as the
// value itself and as one word: standing alone, glued to literal text, in a
// double-quoted place, as a program's name. No line holds a backslash the
// value did not, nor a byte 0x80 and above right before a digit (bash in
// GB18030 would take the byte after the digit into one character).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ShellQuote.h"
#include "base/ShellWords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    const bool name = !value.empty() && value.find('/') == std::string::npos;
    const std::pair<std::string, std::string> cases[] = {
        {torvale::ShellWord(value), value},
        {"x" + torvale::ShellQuote(value) + "@" + torvale::ShellQuote(value) + ":1",
         "x" + value + "@" + value + ":1"},
        {"/v:" + torvale::DoubleQuoted(value), "/v:" + value},
        {torvale::ProgramWord("/A/" + (name ? value : "a")), "/A/" + (name ? value : "a")},
    };
    for (const auto& [written, word] : cases) {
        const std::string line = "open " + written;
        if (torvale::ShellWords(line) != std::vector<std::string>{"open", word}) std::abort();
        if (value.find('\\') == std::string::npos && line.find('\\') != std::string::npos)
            std::abort();
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (static_cast<unsigned char>(line[i - 1]) >= 0x80 && line[i] >= '0' && line[i] <= '9')
                std::abort();
        }
    }
    return 0;
}
