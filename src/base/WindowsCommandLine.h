#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// Writing a program's argv as the one command line a Windows process is
// given (CreateProcessW), so that both readers of it, CommandLineToArgvW and
// the Microsoft C runtime's start-up code, make exactly that argv of it
// again. Text is UTF-8, as it is everywhere here: every byte the rules look
// at is ASCII, which no byte of a longer UTF-8 character ever is.
//
// argv[0], the program's path, is read by a rule of its own: no backslash
// escapes, and a quote only opens or closes. It is always written in
// double quotes, and one that holds `"` (which no Windows path can) is
// refused. Every other word is written as it is unless it is empty or holds
// a blank, a tab, a line feed, a vertical tab or `"`; then it is written in
// double quotes, each `"` in it as `\"`, the backslashes right before a `"`
// or before the closing quote doubled, every other backslash as it is. An
// empty word is `""`, which both readers take as one empty argument; `""`
// never stands anywhere else, since older C runtimes read it inside quotes
// differently. A word holding a NUL byte is refused: the line would end
// there.
bool WindowsCommandLine(const std::vector<std::string>& argv, std::string* line, std::string* err);

// Whether Windows may start `path` itself as a client: an absolute path
// ("C:\..." or "\\server\share\...") of an .exe, with no ':' past its drive
// (an alternate data stream). A .bat or .cmd would run through cmd.exe,
// which parses the line again by rules of its own (`%`, `^`, `&` ...), so
// that no quoting of ours could keep a value one argument.
bool StartableOnWindows(std::string_view path, std::string* err);

}  // namespace torvale
