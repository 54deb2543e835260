#pragma once

// The pass log: ${XDG_STATE_HOME:-$HOME/.local/state}/torvale/torvale.log,
// one line per launch URL handled, private (0600), at most kPassLogLimit
// bytes and one older file (torvale.log.1) beside it.

#include <cstddef>
#include <string>
#include <vector>

namespace torvale {

inline constexpr std::size_t kPassLogLimit = 64 * 1024;

std::string PassLogPath(const char* xdgStateHome, const std::string& home);

// Appends the line, first moving a full log aside; false with the reason when
// it cannot.
bool AppendPassLine(const std::string& path, const std::string& line, std::string* err);

// The last `count` lines of the log, oldest first; none when it cannot be read.
std::vector<std::string> LastPassLines(const std::string& path, std::size_t count);

}  // namespace torvale
