#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/Shell.h"

namespace torvale {

// Starts a plan's command on Windows: the client's .exe itself, by
// CreateProcessW, with the line WindowsCommandLine writes of its argv; no
// cmd.exe ever, and so no batch file either (StartableOnWindows). The client
// gets none of our handles and, where it is a console program after all, a
// console without a window, so that nothing flashes up.
//
// A client that ends with a failure within `watch` is reported as one that
// failed at once. Windows clients are GUI programs, which write to no
// standard error, so no output of theirs comes with it. One still running
// is watched on, here: POSIX hands the watch to a process that outlives the
// front end, but a thread cannot outlive its process, and a process started
// only to wait would be a second program to ship and sign for one wait. So
// a thread of ours waits on the client's process handle until it ends or
// kWatchedFor has passed since its start, then gives `report` how it ended,
// from that thread. The front end (a window-less process) stays alive for
// that long: destroying the shell, or Finish, waits for every watch.
class WindowsShell final : public Shell {
  public:
    // Without `report`, a client still running after `watch` is not watched.
    explicit WindowsShell(LateReport report = {},
                          std::chrono::milliseconds watch = std::chrono::seconds(2))
        : report_(std::move(report)), watch_(watch) {}
    ~WindowsShell() override { Finish(); }
    WindowsShell(const WindowsShell&) = delete;
    WindowsShell& operator=(const WindowsShell&) = delete;

    CommandResult Run(const Command& command, const ClientWatch& watch) override;
    // No client on Windows is asked its version (OpenSSH's release matters
    // only to the POSIX clients' lines): nothing, saying so.
    std::optional<std::string> VersionOf(const std::string& program, std::string* err) override;

    // Waits until every client still watched has ended or has been watched
    // for kWatchedFor, and its report given.
    void Finish();

  private:
    LateReport report_;
    std::chrono::milliseconds watch_;
    std::mutex watchesLock_;
    std::vector<std::thread> watches_;
};

}  // namespace torvale
