#pragma once

#include <chrono>

#include "core/ports/Shell.h"

namespace torvale {

// Shell on posix_spawn, for macOS and Linux alike. The shell starts with
// default signal handling, nothing blocked and only the three standard
// descriptors.
class PosixShell final : public Shell {
  public:
    enum class Mode {
        // Waits for the shell to exit, as the macOS application does: `open`
        // returns once the client has started. At most for `wait`: a
        // Gatekeeper prompt for a quarantined client, or a slow `open`, must
        // not freeze the application; the line goes on unwatched.
        Wait,
        // Starts the line in a session of its own, standard input and output
        // on /dev/null, so the client it becomes outlives us and writes
        // nothing into the user's terminal. It is watched for `watch`: a line
        // that ends with a failure by then is reported with the end of what
        // it wrote to standard error; one still running is left alone, its
        // standard error drained by a process of its own.
        Detach,
    };

    explicit PosixShell(Mode mode = Mode::Wait,
                        std::chrono::milliseconds watch = std::chrono::seconds(2),
                        std::chrono::milliseconds wait = std::chrono::seconds(20))
        : mode_(mode), watch_(watch), wait_(wait) {}
    CommandResult Run(const std::string& commandLine) override;
    std::string VersionOf(const std::string& program) override;

  private:
    Mode mode_;
    std::chrono::milliseconds watch_;
    std::chrono::milliseconds wait_;
};

}  // namespace torvale
