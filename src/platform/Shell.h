#pragma once

#include <string>

namespace torvale {

// Runs one command line through "/bin/sh -c" and waits for the shell to exit.
class Shell {
  public:
    virtual ~Shell() = default;

    // Empty when the shell ran (whatever its exit status); otherwise why it
    // could not be started. Nothing of the shell's output is read back.
    virtual std::string Run(const std::string& commandLine) = 0;
};

}  // namespace torvale
