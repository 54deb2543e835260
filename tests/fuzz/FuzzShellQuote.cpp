// Every quoted value reads back, through a POSIX shell-word reader, as the
// value itself and as one word: in a place of its own, glued to literal text,
// and escaped inside double quotes.

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::string quoted = torvale::ShellQuote(value);

    // An empty value leaves an empty place; anything else is one word.
    if (value.empty()) {
        if (!quoted.empty()) std::abort();
    } else {
        ExpectWords("open " + quoted, {"open", value});
    }
    ExpectWords("open x" + quoted + "@" + quoted + ":1",
                {"open", "x" + value + "@" + value + ":1"});
    ExpectWords("open /v:\"" + torvale::DoubleQuoteEscape(value) + "\"", {"open", "/v:" + value});
    return 0;
}
