#pragma once

#include <string>
#include <string_view>

namespace torvale {

// Text that can go to a terminal or a log as one line and show what it holds
// without acting on it: "\" written "\\", line feed "\n", tab "\t", carriage
// return "\r", and every other C0 control, DEL, C1 control (U+0080 to
// U+009F) and byte that is not part of well-formed UTF-8 written "\xNN", a
// byte at a time. So no value can end a line early, print a line that looks
// like another, or send an escape sequence to the terminal.
std::string Printable(std::string_view text);

}  // namespace torvale
