#pragma once

#include <functional>
#include <string_view>

namespace torvale {

// One "key = value" line of an INI text.
struct IniEntry {
    std::string_view section;
    std::string_view key;
    std::string_view value;
    int line;         // from 1
    int sectionLine;  // that of its [section] line; 0 before any
};

// Reads INI text: [section] lines, "key = value" lines (blanks around "="
// dropped), ";" and "#" comments, blank lines. Any other line is an error,
// an indented one below a key too (no line goes on with another).
// Each [section] line is handed over as an entry of its own, with an empty
// key, before the entries under it.
class IniReader {
  public:
    virtual ~IniReader() = default;

    // Hands every entry to `onEntry` in order; `onEntry` answers why it
    // refuses one, or the empty string when it takes it. True when every line
    // was well formed and every entry taken; otherwise `errorLine` is the
    // number of the first line that was not, and `err` says why.
    virtual bool Parse(std::string_view text,
                       const std::function<std::string(const IniEntry&)>& onEntry, int* errorLine,
                       std::string* err) = 0;
};

}  // namespace torvale
