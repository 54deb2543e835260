#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/ports/Shell.h"
#include "platform/windows/Win32.h"

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
//
// `started` is told of each client as soon as CreateProcessW has started
// it, with its process handle (valid for the call only) and argv, from the
// pass's own thread: for whoever waits for the client to read its files.
// Nothing it did before is missed: a start-up done, or an end, is still
// seen on the handle afterwards.
class WindowsShell final : public Shell {
  public:
    using ClientStarted = std::function<void(HANDLE process, const std::vector<std::string>& argv)>;

    // Without `report`, a client still running after `watch` is not watched.
    explicit WindowsShell(LateReport report = {},
                          std::chrono::milliseconds watch = std::chrono::seconds(2),
                          ClientStarted started = {})
        : report_(std::move(report)), watch_(watch), started_(std::move(started)) {}
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
    ClientStarted started_;
    std::mutex watchesLock_;
    std::vector<std::thread> watches_;
};

}  // namespace torvale
