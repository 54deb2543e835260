#pragma once

#include <functional>
#include <string>
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

// Where and why INI text could not be read. It takes the place of `err`:
// the line is shown apart from the reason ("PATH:LINE cannot be read (WHY)").
struct IniError {
    int line = 0;  // the first line at fault, from 1
    std::string why;
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
    // was well formed and every entry taken; otherwise false, and `err` says
    // which line was the first that was not, and why.
    virtual bool Parse(std::string_view text,
                       const std::function<std::string(const IniEntry&)>& onEntry,
                       IniError* err) = 0;
};

}  // namespace torvale
