#pragma once

#include <string>

namespace torvale {

// What became of one command line.
struct CommandResult {
    // Why the shell could not be started; empty when it ran.
    std::string notRun;
    // The line was started detached and ended at once with a failure (a
    // switch its client rejects, a display it cannot open, a library
    // missing): the user would otherwise see nothing at all.
    bool failedAtOnce = false;
    // Then: the last lines it wrote to its standard error.
    std::string errorOutput;
    // The shell had not returned when we stopped waiting for it: the client
    // may still start, or wait on a question of the system's.
    bool stillStarting = false;
};

// Runs one command line through "/bin/sh -c". Nothing of the shell's output
// is read back but what a failure at once leaves on standard error.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual CommandResult Run(const std::string& commandLine) = 0;
    // What `program -V` writes on either stream, as OpenSSH says its release
    // ("OpenSSH_8.1p1, LibreSSL 2.7.3"); empty when it cannot say in time.
    virtual std::string VersionOf(const std::string& program) = 0;
};

}  // namespace torvale
