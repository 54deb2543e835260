#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/text/Path.h"

namespace torvale {
namespace {

bool IsUsable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat info;
    return IsUsable(path) && ::stat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::CreateDirectory(const std::string& path, unsigned mode) {
    if (!IsUsable(path)) return false;
    auto isDirectory = [](const std::string& p) {
        struct stat info;
        return ::stat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    };
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!isDirectory(prefix) && ::mkdir(prefix.c_str(), static_cast<mode_t>(mode)) != 0 &&
            errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) break;
    }
    return isDirectory(path);
}

bool PosixFileSystem::WriteFile(const std::string& path, std::string_view contents, unsigned mode) {
    // A crash or a full disk halfway through must never leave a truncated
    // connection file: the new content appears whole, by rename, or not at
    // all, and no temporary file is left behind.
    if (!IsUsable(path)) return false;
    std::string temporary = JoinPath(DirectoryOf(path), ".torvale-XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written =
        ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, contents) && ::fsync(fd) == 0;
    if (::close(fd) == 0 && written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path, std::size_t limit) {
    if (!IsUsable(path)) return std::nullopt;
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::string();
        return std::nullopt;
    }
    struct stat info;
    std::optional<std::string> contents;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) contents.emplace();
    char buffer[16384];
    while (contents) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || contents->size() + static_cast<std::size_t>(n) > limit) {
            contents.reset();
        } else {
            contents->append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return contents;
}

}  // namespace torvale
