#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace torvale {
namespace {

using Clock = std::chrono::steady_clock;

// The end of what a client that failed at once wrote: enough to tell why.
constexpr std::size_t kKeptOutput = 2048;
constexpr std::size_t kKeptLines = 5;

// Owns the spawn attributes and file actions for the length of one call.
class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Default signals, nothing blocked, only the three standard descriptors.
    // Detached: a session of its own, and each standard descriptor on the
    // one given for it, or on /dev/null.
    int Prepare(bool detached, int input = -1, int errors = -1) {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#if defined(__APPLE__)
        flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
        for (int fd = 0; fd <= 2 && !detached; ++fd) {
            if (int error = posix_spawn_file_actions_addinherit_np(&actions_, fd)) return error;
        }
#endif
        if (detached) {
            flags |= POSIX_SPAWN_SETSID;
            const int given[] = {input, -1, errors};
            for (int fd = 0; fd <= 2; ++fd) {
                const int error =
                    given[fd] >= 0
                        ? posix_spawn_file_actions_adddup2(&actions_, given[fd], fd)
                        : posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null",
                                                           fd == 0 ? O_RDONLY : O_WRONLY, 0);
                if (error) return error;
            }
        }
#if !defined(__APPLE__) && defined(__GLIBC__) && \
    (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        // Last: the descriptors the redirections above read from are among them.
        if (int error = posix_spawn_file_actions_addclosefrom_np(&actions_, 3)) return error;
#endif
        if (int error = posix_spawnattr_setsigmask(&attributes_, &none)) return error;
        if (int error = posix_spawnattr_setsigdefault(&attributes_, &all)) return error;
        return posix_spawnattr_setflags(&attributes_, flags);
    }

    // Starts `argv`: 0, or the error number.
    int Spawn(pid_t& pid, char* const argv[]) {
        return posix_spawn(&pid, argv[0], &actions_, &attributes_, argv, environ);
    }

  private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

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
    if (setup.Prepare(true, errors) == 0) setup.Spawn(pid, argv);
}

// Watches a detached line for `watch`: a failure by then is reported with
// the end of its standard error.
CommandResult Watch(pid_t pid, int errors, std::chrono::milliseconds watch) {
    ::fcntl(errors, F_SETFL, ::fcntl(errors, F_GETFL) | O_NONBLOCK);
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
        const int wait = static_cast<int>(std::min<long long>(left.count(), 20));
        pollfd ready{errors, POLLIN, 0};
        if (!open) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        } else if (::poll(&ready, 1, wait) > 0) {
            open = ReadSome(errors, output);
        }
    }
    // All there is now; a child the client left behind may still hold it.
    if (open && ReadSome(errors, output)) HandOver(errors);
    ::close(errors);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    return {{}, true, LastLines(output)};
}

}  // namespace

CommandResult PosixShell::Run(const std::string& commandLine) {
    const bool detached = mode_ == Mode::Detach;
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
    int error = setup.Prepare(detached, -1, errors[1]);
    if (error == 0) error = setup.Spawn(pid, argv);
    if (errors[1] >= 0) ::close(errors[1]);
    if (error != 0) {
        if (errors[0] >= 0) ::close(errors[0]);
        return {std::string("/bin/sh: ") + std::strerror(error), false, {}};
    }
    if (detached) return Watch(pid, errors[0], watch_);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        // With SIGCHLD ignored the system reaps the shell itself, and waitpid
        // answers ECHILD once it has exited.
        if (errno == ECHILD) break;
        if (errno != EINTR)
            return {"waiting for /bin/sh: " + std::string(std::strerror(errno)), false, {}};
    }
    return {};
}

}  // namespace torvale
