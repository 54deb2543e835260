#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/clients/ClientTable.h"

namespace torvale::test {

using Argv = std::vector<std::string>;

// What the command line of a launch URL must make the shell run, word for
// word (the program first), restated from the launchers' rules in argv
// terms; nothing when no command may run (a refused value, a placeholder or
// unknown action, a NUL byte). Every client is taken as present: on macOS
// at its bundle, on Linux as the first program named in the table, in `bin`.
std::optional<Argv> IntendedWords(const std::string& fieldText, const ClientTable& table,
                                  const std::string& configDir, const std::string& bin);

// The clients IntendedWords takes as present: anything under /Applications
// or in `bin`.
inline bool PresentAsIntended(const std::string& path, const std::string& bin) {
    return path.starts_with("/Applications/") || path.starts_with(bin + "/");
}

}  // namespace torvale::test
