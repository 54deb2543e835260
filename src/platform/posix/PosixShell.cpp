#include "platform/posix/PosixShell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace torvale {
namespace {

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

    int Prepare(PosixShell::Mode mode) {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#if defined(__APPLE__)
        flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
        for (int fd = 0; fd <= 2; ++fd) {
            if (int error = posix_spawn_file_actions_addinherit_np(&actions_, fd)) return error;
        }
#elif defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        if (int error = posix_spawn_file_actions_addclosefrom_np(&actions_, 3)) return error;
#endif
        if (mode == PosixShell::Mode::Detach) {
            flags |= POSIX_SPAWN_SETSID;
            for (int fd = 0; fd <= 2; ++fd) {
                const int access = fd == 0 ? O_RDONLY : O_WRONLY;
                if (int error =
                        posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", access, 0)) {
                    return error;
                }
            }
        }
        if (int error = posix_spawnattr_setsigmask(&attributes_, &none)) return error;
        if (int error = posix_spawnattr_setsigdefault(&attributes_, &all)) return error;
        return posix_spawnattr_setflags(&attributes_, flags);
    }

    const posix_spawnattr_t* attributes() const {
        return &attributes_;
    }
    const posix_spawn_file_actions_t* actions() const {
        return &actions_;
    }

  private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

}  // namespace

std::string PosixShell::Run(const std::string& commandLine) {
    SpawnSetup setup;
    if (int error = setup.Prepare(mode_)) return std::string("/bin/sh: ") + std::strerror(error);

    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    std::string line = commandLine;
    char* argv[] = {shell, dashC, line.data(), nullptr};

    pid_t pid = 0;
    if (int error = posix_spawn(&pid, shell, setup.actions(), setup.attributes(), argv, environ)) {
        return std::string("/bin/sh: ") + std::strerror(error);
    }
    if (mode_ == Mode::Detach) return std::string();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        // With SIGCHLD ignored the system reaps the shell itself, and waitpid
        // answers ECHILD once it has exited.
        if (errno == ECHILD) break;
        if (errno != EINTR) return std::string("waiting for /bin/sh: ") + std::strerror(errno);
    }
    return std::string();
}

}  // namespace torvale
