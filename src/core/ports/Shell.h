#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/plan/Outcome.h"
#include "core/plan/Plan.h"

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
    // The line was started detached and still runs: a watcher of its own
    // goes on watching it for kWatchedFor, and writes the pass line.
    bool watched = false;
};

// How long after its start a client that ends with a failure is reported as
// one that failed to start: one refused by the server a few seconds in
// (FreeRDP's exit status 131) shows the user no window and nothing else.
inline constexpr std::chrono::seconds kWatchedFor{30};

// What a detached line's watcher is handed with the line, before it starts
// it: all it will ever be told.
struct ClientWatch {
    // Where the client asks on its terminal about the certificate of that
    // host ("HOST:PORT", as the trust question names it), the user answers
    // in a dialog of ours, and the alert of a failure that says it reached
    // no server names it; empty for any other client.
    std::string certificateHost;
    // The pass line, for the watcher to write once it knows how a client
    // still running ended.
    WatchedPass pass;
};

// How a watched client that outlived the front end's watch ended: launched
// (still running after kWatchedFor, or ended well), cancelled (the user did
// not trust the server's certificate), refused (a certificate question of
// the server's making) or failed, with `detail` ("exit status 131 after 4 s")
// and the alert to show, if any.
using LateReport = std::function<void(const WatchedPass& pass, Outcome outcome,
                                      const std::string& detail, const std::string& alert)>;

// Starts a plan's command: each port writes it in its system's form (the
// POSIX one as the "/bin/sh -c" line, LineOf; the Windows one from its argv,
// ArgvOf). Of the client's output only the end of what a client that fails
// writes is kept, and a question it asks on its terminal read.
class Shell {
  public:
    virtual ~Shell() = default;
    // `watch` goes to the watcher of a detached command; of a command left
    // `watched`, the watcher writes the pass line and, for a failure, the
    // alert.
    virtual CommandResult Run(const Command& command, const ClientWatch& watch) = 0;
    // What `program -V` writes on either stream, as OpenSSH says its release
    // ("OpenSSH_8.1p1, LibreSSL 2.7.3"); nothing, saying why, when it cannot
    // say in time.
    virtual std::optional<std::string> VersionOf(const std::string& program, std::string* err) = 0;
};

}  // namespace torvale
