#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/plan/Outcome.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/Shell.h"

namespace torvale {

// Asks the user the question of a client's certificate.
using CertificateAsker = std::function<Answer(const Question& question)>;
// What a front end's watcher does with what it sees.
struct ClientWatcher {
    LateReport report;
    CertificateAsker ask;
};

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
        // on /dev/null (all three on a terminal of the watcher's, for a
        // client that asks about a certificate there), so the client it
        // becomes outlives us and writes nothing into the user's terminal.
        // A watcher started for it (this program again, with kWatchOption
        // alone on its command line and the ClientWatchWire order on its
        // standard input) starts the line and watches it: a line that ends
        // with a failure within `watch` is reported with the end of what it
        // wrote; of one still running the watcher writes the pass line once
        // the client has ended or kWatchedFor has passed, with the alert for
        // a failure by then. Its standard error is drained all along, then by
        // a process of its own; its terminal is closed, so that a question
        // asked later gets an end of input.
        Detach,
    };

    // `watcherProgram`: this program, run as the watcher; without it a
    // detached line is watched here, for `watch` only.
    explicit PosixShell(Mode mode = Mode::Wait,
                        std::chrono::milliseconds watch = std::chrono::seconds(2),
                        std::chrono::milliseconds wait = std::chrono::seconds(20),
                        std::string watcherProgram = {})
        : mode_(mode), watch_(watch), wait_(wait), watcherProgram_(std::move(watcherProgram)) {}

    // The command's "/bin/sh -c" line.
    CommandResult Run(const Command& command, const ClientWatch& watch) override {
        return Run(LineOf(command), watch);
    }
    // A line of /bin/sh's, as it is.
    CommandResult Run(const std::string& commandLine, const ClientWatch& watch);
    CommandResult Run(const std::string& commandLine) { return Run(commandLine, {}); }
    std::optional<std::string> VersionOf(const std::string& program, std::string* err) override;

    // A detached line's watcher is then this process, forked, wherever
    // `mayFork` says nothing it holds forbids that (a connection to the
    // display, say): starting this program again costs a click as much as
    // all its own work does.
    void WatchInFork(ClientWatcher watcher, std::function<bool()> mayFork) {
        forked_ = {std::move(watcher), std::move(mayFork)};
    }

  private:
    CommandResult Watch(const std::string& commandLine);
    CommandResult Hand(const std::string& commandLine, const ClientWatch& watch);

    Mode mode_;
    std::chrono::milliseconds watch_;
    std::chrono::milliseconds wait_;
    std::string watcherProgram_;
    struct {
        ClientWatcher watcher;
        std::function<bool()> mayFork;
    } forked_;
};

inline constexpr std::string_view kWatchOption = "--watch-client";

// The watcher's mode (kWatchOption alone; what to watch on standard input):
// its exit status. Nothing: the command line asks for another mode.
std::optional<int> RunClientWatcher(int argc, char** argv, const ClientWatcher& watcher);

}  // namespace torvale
