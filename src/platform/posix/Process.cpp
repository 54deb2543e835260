#include "platform/posix/Process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "app/text/Printable.h"

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
