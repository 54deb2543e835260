#pragma once

#include "platform/Shell.h"

namespace torvale {

// Shell on posix_spawn, for macOS and Linux alike. The shell starts with
// default signal handling, nothing blocked and only the three standard
// descriptors.
class PosixShell final : public Shell {
  public:
    enum class Mode {
        // Waits for the shell to exit, as the macOS application does: `open`
        // returns once the client has started.
        Wait,
        // Starts the line in a session of its own with its standard streams
        // on /dev/null, and returns once the shell is running: the client it
        // becomes outlives us and writes nothing into the user's terminal.
        Detach,
    };

    explicit PosixShell(Mode mode = Mode::Wait) : mode_(mode) {}
    std::string Run(const std::string& commandLine) override;

  private:
    Mode mode_;
};

}  // namespace torvale
