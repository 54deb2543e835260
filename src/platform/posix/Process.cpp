#include "platform/posix/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "base/Fail.h"
#include "base/Path.h"
#include "base/Printable.h"

#if defined(__APPLE__)
#include <mach-o/dyld.h>
#include <sys/event.h>
#elif defined(__linux__)
#include <sys/syscall.h>
#endif

extern char** environ;

namespace torvale {

SpawnSetup::SpawnSetup() {
    posix_spawnattr_init(&attributes_);
    posix_spawn_file_actions_init(&actions_);
}

SpawnSetup::~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
}

bool SpawnSetup::Prepare(const std::array<int, 3>& stdio, bool ownSession, std::string* err) {
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#if defined(__APPLE__)
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    if (ownSession) flags |= POSIX_SPAWN_SETSID;
    for (int fd = 0; fd <= 2; ++fd) {
        const int given = stdio[static_cast<std::size_t>(fd)];
        int error = 0;
        if (given >= 0) {
            error = posix_spawn_file_actions_adddup2(&actions_, given, fd);
        } else if (given == kNull) {
            error = posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null",
                                                     fd == 0 ? O_RDONLY : O_WRONLY, 0);
        } else {
#if defined(__APPLE__)
            error = posix_spawn_file_actions_addinherit_np(&actions_, fd);
#endif
        }
        if (error) return Fail(err, std::strerror(error));
    }
#if !defined(__APPLE__) && defined(__GLIBC__) && \
    (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Last: the descriptors the redirections above read from are among them.
    if (int error = posix_spawn_file_actions_addclosefrom_np(&actions_, 3))
        return Fail(err, std::strerror(error));
#endif
    if (int error = posix_spawnattr_setsigmask(&attributes_, &none))
        return Fail(err, std::strerror(error));
    if (int error = posix_spawnattr_setsigdefault(&attributes_, &all))
        return Fail(err, std::strerror(error));
    if (int error = posix_spawnattr_setflags(&attributes_, flags))
        return Fail(err, std::strerror(error));
    return true;
}

bool SpawnSetup::Spawn(pid_t& pid, char* const argv[], char* const envp[], std::string* err) {
    const int error =
        posix_spawn(&pid, argv[0], &actions_, &attributes_, argv, envp != nullptr ? envp : environ);
    return error == 0 || Fail(err, std::strerror(error));
}

void PrepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            // The lowest free descriptor: this one.
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Ignored by whoever started us, the system would reap our children
    // itself, and no client's exit status could be read.
    std::signal(SIGCHLD, SIG_DFL);
}

std::optional<std::string> FindProgram(std::string_view name) {
    auto runnable = [](const std::string& candidate) {
        struct stat info;
        return ::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
               ::access(candidate.c_str(), X_OK) == 0;
    };
    // A name with a "/" in it is its own path, as execvp takes it.
    if (name.find('/') != std::string_view::npos)
        return runnable(std::string(name)) ? std::optional<std::string>(name) : std::nullopt;
    const char* path = std::getenv("PATH");
    for (const std::string_view directory : SearchDirectories(path != nullptr ? path : "")) {
        std::string candidate = JoinPath(directory, name);
        if (runnable(candidate)) return candidate;
    }
    return std::nullopt;
}

ChildEnd::ChildEnd(pid_t pid) {
#if defined(__APPLE__)
    fd_ = ::kqueue();
    struct kevent change;
    EV_SET(&change, pid, EVFILT_PROC, EV_ADD, NOTE_EXIT, 0, nullptr);
    // A child already gone cannot be registered: the caller's next look finds it.
    if (fd_ >= 0 && ::kevent(fd_, &change, 1, nullptr, 0, nullptr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
#elif defined(__linux__) && defined(SYS_pidfd_open)
    // Linux 5.3 or later; readable once the child has ended.
    fd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
#endif
    if (fd_ >= 0) ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
}

ChildEnd::~ChildEnd() {
    if (fd_ >= 0) ::close(fd_);
}

void ChildEnd::Wait(int fd, std::chrono::milliseconds timeout) const {
    using std::chrono::milliseconds;
    if (fd_ < 0) timeout = std::min(timeout, milliseconds(2));
    const long long ms = std::clamp<long long>(timeout.count(), 0, INT_MAX);
#if defined(__APPLE__)
    if (fd_ >= 0) {
        // One kevent call waits for both: the descriptor joins the kqueue.
        struct kevent change;
        EV_SET(&change, fd, EVFILT_READ, EV_ADD | EV_ONESHOT, 0, 0, nullptr);
        const timespec wait = {static_cast<time_t>(ms / 1000),
                               static_cast<long>(ms % 1000) * 1000000};
        struct kevent event;
        ::kevent(fd_, &change, fd >= 0 ? 1 : 0, &event, 1, &wait);
        return;
    }
#endif
    pollfd ready[2] = {{fd_, POLLIN, 0}, {fd, POLLIN, 0}};
    // A negative descriptor is not watched.
    ::poll(ready, 2, static_cast<int>(ms));
}

std::optional<std::string> CommandOutput(const std::vector<std::string>& argv, std::size_t limit,
                                         std::string* err, std::chrono::milliseconds timeout) {
    auto fail = [&](std::string why) -> std::optional<std::string> {
        Fail(err, std::move(why));
        return std::nullopt;
    };
    const auto program = argv.empty() ? std::nullopt : FindProgram(argv[0]);
    if (!program) return fail((argv.empty() ? "" : argv[0]) + ": not found on PATH");
    int out[2];
    if (::pipe(out) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
    ::fcntl(out[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(out[1], F_SETFD, FD_CLOEXEC);
    std::vector<char*> words;
    for (const std::string& word : argv)
        words.push_back(const_cast<char*>(word.c_str()));
    words[0] = const_cast<char*>(program->c_str());
    words.push_back(nullptr);
    pid_t pid = 0;
    std::string why;
    bool started = false;
    {
        // A session of its own, so that a program that hangs goes with all
        // it started.
        SpawnSetup setup;
        started = setup.Prepare({SpawnSetup::kNull, out[1], SpawnSetup::kNull}, true, &why) &&
                  setup.Spawn(pid, words.data(), nullptr, &why);
    }
    ::close(out[1]);
    if (!started) {
        ::close(out[0]);
        return fail(*program + ": " + why);
    }
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    const ChildEnd end(pid);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string output;
    int status = 0;
    bool exited = false, timedOut = false;
    char buffer[4096];
    for (;;) {
        // Read first, then look whether the program has ended: once it has,
        // one more read takes all it wrote, whoever else holds the pipe.
        const bool exitedBefore = exited;
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n > 0) {
            if (output.size() < limit)
                output.append(buffer, std::min(limit - output.size(), static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (exitedBefore) break;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        // Woken by output or by its end; at the end of the pipe (a child of
        // it closed its copy) the pipe would wake it at once, so only its end.
        end.Wait(n < 0 && errno == EAGAIN ? out[0] : -1, left);
    }
    ::close(out[0]);
    if (timedOut) {
        ::kill(-pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return fail(argv[0] + " did not answer in " +
                    std::to_string((timeout.count() + 999) / 1000) + " s");
    }
    if (WIFSIGNALED(status))
        return fail(*program + " was ended by signal " + std::to_string(WTERMSIG(status)));
    if (WEXITSTATUS(status) != 0)
        return fail(*program + " exited with status " + std::to_string(WEXITSTATUS(status)));
    return output;
}

std::string PrivateTemporaryDirectory() {
    std::vector<std::string> candidates;
#ifdef __APPLE__
    char buffer[PATH_MAX];
    const std::size_t size = ::confstr(_CS_DARWIN_USER_TEMP_DIR, buffer, sizeof buffer);
    if (size > 0 && size <= sizeof buffer) candidates.emplace_back(buffer);
#endif
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        if (const char* value = std::getenv(name)) candidates.emplace_back(value);
    }
    for (std::string& dir : candidates) {
        while (dir.size() > 1 && dir.ends_with('/'))
            dir.pop_back();
        struct stat info;
        if (dir.starts_with('/') && ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == ::geteuid() && (info.st_mode & 077) == 0)
            return dir;
    }
    return std::string();
}

std::optional<std::string> HomeDirectory(std::string* err) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        Fail(err, "HOME is not set");
        return std::nullopt;
    }
    struct stat info;
    // A relative HOME would make every path depend on where we were started,
    // and one like "-n" would reach a client as an option.
    if (home[0] != '/' || ::stat(home, &info) != 0 || !S_ISDIR(info.st_mode)) {
        Fail(err, "HOME is not an absolute path to an existing directory: " + Printable(home));
        return std::nullopt;
    }
    return home;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ReadAll(int fd, std::string& out, std::chrono::milliseconds wait, std::size_t limit) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    char buffer[4096];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, MillisecondsUntil(deadline));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > limit) return false;
    }
}

void CloseFrom(int first) {
#if defined(__linux__)
    ::close_range(static_cast<unsigned>(first), ~0U, 0);
#else
    for (long fd = first, end = ::sysconf(_SC_OPEN_MAX); fd < end && fd < (1 << 16); ++fd)
        ::close(static_cast<int>(fd));
#endif
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

std::string ThisProgram() {
#if defined(__APPLE__)
    char path[PATH_MAX];
    uint32_t size = sizeof path;
    if (_NSGetExecutablePath(path, &size) != 0) return {};
    char resolved[PATH_MAX];
    return ::realpath(path, resolved) != nullptr ? resolved : "";
#else
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
#endif
}

}  // namespace torvale
