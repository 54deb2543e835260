#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/posix/Process.h"

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// The end of what a client that failed at once wrote: enough to tell why.
constexpr std::size_t kKeptOutput = 2048;
constexpr std::size_t kKeptLines = 5;

// Reads what there is now; false once every writer has closed the pipe.
bool ReadSome(int fd, std::string& output) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return false;
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        output.append(buffer, static_cast<std::size_t>(n));
        if (output.size() > kKeptOutput) output.erase(0, output.size() - kKeptOutput);
    }
}

// The last few lines, without the closing line feed.
std::string LastLines(std::string output) {
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    std::size_t start = output.size();
    for (std::size_t lines = 0; lines < kKeptLines && start != std::string::npos; ++lines)
        start = start == 0 ? std::string::npos : output.rfind('\n', start - 1);
    return start == std::string::npos ? output : output.substr(start + 1);
}

// A client still running goes on writing to its standard error: someone
// must go on reading, or its next write would end it with SIGPIPE. A cat of
// its own does, until the client closes it.
void HandOver(int errors) {
    const int flags = ::fcntl(errors, F_GETFL);
    if (flags >= 0) ::fcntl(errors, F_SETFL, flags & ~O_NONBLOCK);
    SpawnSetup setup;
    char cat[] = "/bin/cat";
    char* argv[] = {cat, nullptr};
    pid_t pid = 0;
    if (setup.Prepare({errors, SpawnSetup::kNull, SpawnSetup::kNull}, true) == 0)
        setup.Spawn(pid, argv);
}

// Watches a detached line for `watch`: a failure by then is reported with
// the end of its standard error.
CommandResult Watch(pid_t pid, int errors, std::chrono::milliseconds watch) {
    ::fcntl(errors, F_SETFL, ::fcntl(errors, F_GETFL) | O_NONBLOCK);
    const ChildEnd end(pid);
    const auto deadline = Clock::now() + watch;
    std::string output;
    bool open = true;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        // Still running, or reaped by someone else (SIGCHLD ignored after
        // all): nothing to tell.
        if (left.count() <= 0 || (done < 0 && errno != EINTR)) {
            if (open) HandOver(errors);
            ::close(errors);
            return {};
        }
        end.Wait(open ? errors : -1, left);
        if (open) open = ReadSome(errors, output);
    }
    // All there is now; a child the client left behind may still hold it.
    if (open && ReadSome(errors, output)) HandOver(errors);
    ::close(errors);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    return {{}, true, LastLines(output)};
}

}  // namespace

std::string PosixShell::VersionOf(const std::string& program) {
    // ssh -V writes on standard error, which CommandOutput drops.
    return CommandOutput({"/bin/sh", "-c", "exec \"$0\" -V 2>&1", program}, 4096, nullptr,
                         std::chrono::seconds(1))
        .value_or(std::string());
}

CommandResult PosixShell::Run(const std::string& commandLine) {
    const bool detached = mode_ == Mode::Detach;
    // A shell not waited for to its end, now ended: reaped, not left a zombie.
    if (!detached) {
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    int errors[2] = {-1, -1};
    if (detached && ::pipe(errors) != 0)
        return {std::string("pipe: ") + std::strerror(errno), false, {}};
    for (const int fd : errors) {
        if (fd >= 0) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    SpawnSetup setup;
    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    std::string line = commandLine;
    char* argv[] = {shell, dashC, line.data(), nullptr};
    pid_t pid = 0;
    const std::array<int, 3> stdio =
        detached
            ? std::array<int, 3>{SpawnSetup::kNull, SpawnSetup::kNull, errors[1]}
            : std::array<int, 3>{SpawnSetup::kInherit, SpawnSetup::kInherit, SpawnSetup::kInherit};
    int error = setup.Prepare(stdio, detached);
    if (error == 0) error = setup.Spawn(pid, argv);
    if (errors[1] >= 0) ::close(errors[1]);
    if (error != 0) {
        if (errors[0] >= 0) ::close(errors[0]);
        return {std::string("/bin/sh: ") + std::strerror(error), false, {}};
    }
    if (detached) return Watch(pid, errors[0], watch_);

    const ChildEnd end(pid);
    const auto deadline = Clock::now() + wait_;
    for (int status = 0;;) {
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        // With SIGCHLD ignored the system reaps the shell itself, and waitpid
        // answers ECHILD once it has exited.
        if (ended == pid || (ended < 0 && errno == ECHILD)) return {};
        if (ended < 0 && errno != EINTR)
            return {"waiting for /bin/sh: " + std::string(std::strerror(errno)), false, {}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return {{}, false, {}, true};
        end.Wait(-1, left);
    }
}

}  // namespace torvale
