#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// The words /bin/sh makes of a simple command line, for the lines this
// application builds: blanks between words, single quotes, double quotes and
// backslashes. A line that would make the shell do anything more (expand a
// variable, a glob or a tilde, run another command, redirect) yields nothing:
// its argv cannot be told without running it.
std::optional<std::vector<std::string>> ShellWords(std::string_view line);

}  // namespace torvale
