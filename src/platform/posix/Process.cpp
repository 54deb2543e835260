#include "platform/posix/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "base/Path.h"
#include "base/Printable.h"

extern char** environ;

namespace torvale {

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
    const char* path = std::getenv("PATH");
    for (const std::string_view directory : SearchDirectories(path != nullptr ? path : "")) {
        std::string candidate = JoinPath(directory, name);
        struct stat info;
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> CommandOutput(const std::vector<std::string>& argv, std::size_t limit) {
    const auto program = argv.empty() ? std::nullopt : FindProgram(argv[0]);
    int out[2];
    if (!program || ::pipe(out) != 0) return std::nullopt;
    ::fcntl(out[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> words;
    for (const std::string& word : argv)
        words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program->c_str(), &actions, nullptr, words.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; error == 0 && (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        if (output.size() < limit)
            output.append(buffer, std::min(limit - output.size(), static_cast<std::size_t>(n)));
    }
    ::close(out[0]);
    int status = 0;
    if (error != 0) return std::nullopt;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

std::string HomeDirectory(std::string& problem) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        problem = "HOME is not set";
        return std::string();
    }
    struct stat info;
    // A relative HOME would make every path depend on where we were started,
    // and one like "-n" would reach a client as an option.
    if (home[0] != '/' || ::stat(home, &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = "HOME is not an absolute path to an existing directory: " + Printable(home);
        return std::string();
    }
    return home;
}

}  // namespace torvale
