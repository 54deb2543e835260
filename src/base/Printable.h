#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvale {

// Text that can go to a terminal or a log as one line and show what it holds
// without acting on it: "\" written "\\", line feed "\n", tab "\t", carriage
// return "\r", every other C0 control, DEL, C1 control (U+0080 to U+009F)
// and byte that is not part of well-formed UTF-8 written "\xNN", a byte at
// a time, and the characters that show nothing of themselves yet hide,
// reorder or break text (soft hyphen, joiners, bidirectional controls,
// variation selectors, tags, line and paragraph separators, ...) written
// "\uXXXX" or "\UXXXXXXXX". So no value can end a line early, print a line that
// looks like another, read as other text ("%E2%80%AE" turning a host name
// around) or send an escape sequence to the terminal. Past `limit`
// characters the text is cut on a character boundary and ends with "…".
std::string Printable(std::string_view text, std::size_t limit = std::string_view::npos);

// Text for a dialog: line feeds and tabs kept, everything else Printable
// escapes escaped alike, backslashes as they are. Past `limit` characters
// the text is cut on a character boundary and ends with "…" and how many
// were left out, so that no launch URL can make a dialog that takes
// seconds to lay out or stands wider than the screen.
std::string ForDialog(std::string_view text, std::size_t limit = 2000);

}  // namespace torvale
