#pragma once

#include "platform/Shell.h"

namespace torvale {

// Shell on posix_spawn and waitpid, for macOS and Linux alike.
class PosixShell final : public Shell {
  public:
    std::string Run(const std::string& commandLine) override;
};

}  // namespace torvale
