#include "platform/cli/PassLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Path.h"
#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"

namespace torvale {

std::string PassLogPath(const char* xdgStateHome, const std::string& home) {
    const std::string base = xdgStateHome != nullptr && *xdgStateHome == '/'
                                 ? std::string(xdgStateHome)
                                 : home + "/.local/state";
    return base + "/torvale/torvale.log";
}

bool AppendPassLine(const std::string& path, const std::string& line, std::string* err) {
    auto fail = [&](const std::string& what) {
        if (err != nullptr) *err = what + ": " + std::strerror(errno);
        return false;
    };
    PosixFileSystem files;
    const std::string directory(DirectoryOf(path));
    if (!files.CreateDirectory(directory, 0700, err)) {
        if (err != nullptr) *err = directory + " cannot be made: " + *err;
        return false;
    }
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 &&
        static_cast<std::size_t>(info.st_size) + line.size() + 1 > kPassLogLimit &&
        ::rename(path.c_str(), (path + ".1").c_str()) != 0)
        return fail(path + " cannot be moved aside");
    // One write of a whole line: lines of passes running at once do not mix.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return fail(path + " cannot be opened");
    const std::string text = line + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int error = errno;
    ::close(fd);
    errno = error;
    return written || fail(path + " cannot be written");
}

std::vector<std::string> LastPassLines(const std::string& path, std::size_t count) {
    PosixFileSystem files;
    const auto text = files.ReadFile(path, kPassLogLimit * 2, nullptr);
    if (!text) return {};
    return LastLines(*text, count);
}

}  // namespace torvale
