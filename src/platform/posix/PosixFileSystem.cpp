#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

#include "base/Fail.h"
#include "base/Path.h"
#include "platform/posix/Process.h"

namespace torvale {
namespace {

bool IsUsable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

// Says why, where the caller asked: the system's words for errno.
bool Fail(std::string* err, int error = errno) {
    return torvale::Fail(err, std::strerror(error));
}

// A path that names no file, said as the system would say it.
bool Unusable(std::string* err) {
    return torvale::Fail(err, "the path is empty or holds a NUL byte");
}

// Temporaries are named after their writer, ".torvale-PID-XXXXXX", so that
// whoever finds one can tell whether its writer still runs.
constexpr std::string_view kTemporaryPrefix = ".torvale-";

// Earlier builds named theirs ".torvale-XXXXXX" without the writer; a write
// takes milliseconds, so one that old is surely left behind.
constexpr std::time_t kUnnamedTemporaryAge = 60;

bool Runs(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Whether a directory entry is a temporary that nobody will ever rename.
bool IsLeftover(std::string_view name, int directory) {
    if (!name.starts_with(kTemporaryPrefix)) return false;
    name.remove_prefix(kTemporaryPrefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos) {
        struct stat info;
        return name.size() == 6 &&
               ::fstatat(directory, (std::string(kTemporaryPrefix) + std::string(name)).c_str(),
                         &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISREG(info.st_mode) && std::time(nullptr) - info.st_mtime > kUnnamedTemporaryAge;
    }
    const std::string_view pid = name.substr(0, dash);
    if (pid.empty() || pid.size() > 9 || name.size() - dash - 1 != 6 ||
        pid.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    return !Runs(static_cast<pid_t>(std::stol(std::string(pid))));
}

bool IsStale(std::string_view name, std::span<const std::string_view> suffixes, int directory) {
    struct stat info;
    // ".rdp" alone is the copy of a launch that named no target.
    const auto named = [name](std::string_view suffix) {
        return !suffix.empty() && name.ends_with(suffix);
    };
    return std::any_of(suffixes.begin(), suffixes.end(), named) &&
           ::fstatat(directory, std::string(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(info.st_mode) && std::time(nullptr) - info.st_mtime > kUnnamedTemporaryAge;
}

}  // namespace

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat info;
    return IsUsable(path) && ::stat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::CreateDirectory(const std::string& path, unsigned mode, std::string* err) {
    if (!IsUsable(path)) return Unusable(err);
    auto isDirectory = [](const std::string& p) {
        struct stat info;
        return ::stat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    };
    // Nearly always there already: one look then, not one per parent.
    if (isDirectory(path)) return true;
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!isDirectory(prefix) && ::mkdir(prefix.c_str(), static_cast<mode_t>(mode)) != 0 &&
            errno != EEXIST) {
            return Fail(err);
        }
        if (slash == std::string::npos) break;
    }
    return isDirectory(path) || Fail(err, ENOTDIR);
}

bool PosixFileSystem::SetMode(const std::string& path, unsigned mode, std::string* err) {
    if (!IsUsable(path)) return Unusable(err);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (err != nullptr) *err = "a symbolic link, whose target is left as it is";
        return false;
    }
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0 || Fail(err);
}

bool PosixFileSystem::WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                                std::string* err) {
    // A crash or a full disk halfway through must never leave a truncated
    // connection file: the new content appears whole, by rename, or not at
    // all, and no temporary file is left behind.
    if (!IsUsable(path)) return Unusable(err);
    std::string temporary = JoinPath(
        DirectoryOf(path), std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Fail(err);
    bool written =
        ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, contents) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    if (written) error = errno;
    ::unlink(temporary.c_str());
    return Fail(err, error);
}

bool PosixFileSystem::CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) {
    if (!IsUsable(path)) return Unusable(err);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                          static_cast<mode_t>(mode));
    if (fd < 0) return Fail(err);
    // The mode asked for, whatever the umask, as WriteFile gives it.
    const bool moded = ::fchmod(fd, static_cast<mode_t>(mode)) == 0 || Fail(err);
    return (::close(fd) == 0 || Fail(err)) && moded;
}

bool PosixFileSystem::RemoveLeftovers(const std::string& directory,
                                      std::span<const std::string_view> suffixes,
                                      std::string* err) {
    if (!IsUsable(directory)) return Unusable(err);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR || Fail(err);
    DIR* entries = ::fdopendir(fd);
    if (entries == nullptr) {
        Fail(err);
        ::close(fd);
        return false;
    }
    bool removed = true;
    while (const dirent* entry = ::readdir(entries)) {
        if ((IsLeftover(entry->d_name, fd) || IsStale(entry->d_name, suffixes, fd)) &&
            ::unlinkat(fd, entry->d_name, 0) != 0 && errno != ENOENT) {
            removed = Fail(err);
        }
    }
    ::closedir(entries);
    return removed;
}

namespace {

PathInfo InfoOf(const std::string& path, const struct stat& info) {
    return PathInfo{S_ISDIR(info.st_mode), static_cast<unsigned>(info.st_mode) & 07777u,
                    ::access(path.c_str(), W_OK) == 0, info.st_uid == 0,
                    ::access(path.c_str(), R_OK) == 0};
}

// The components of a path, in order: "" and "." left out.
void PushComponents(std::string_view path, std::vector<std::string>& pending) {
    std::vector<std::string> components;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string_view part = path.substr(at, slash - at);
        if (!part.empty() && part != ".") components.emplace_back(part);
        at = slash + 1;
    }
    // `pending` is taken from its back.
    pending.insert(pending.end(), components.rbegin(), components.rend());
}

}  // namespace

std::optional<PathInfo> PosixFileSystem::Inspect(const std::string& path) {
    struct stat info;
    if (!IsUsable(path) || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return InfoOf(path, info);
}

bool PosixFileSystem::WayTo(const std::string& path, PathWay* way, std::string* err) {
    *way = PathWay{};
    if (!IsUsable(path) || !path.starts_with('/')) {
        if (err != nullptr) *err = path + ": not an absolute path";
        return false;
    }
    auto failed = [&](const std::string& where) {
        if (err != nullptr) *err = where + ": " + std::strerror(errno);
        return false;
    };
    // Each component is looked at by itself, so that a symbolic link is
    // followed where it stands and every folder the path really goes
    // through is a step, the folders a link leads through too.
    struct stat info;
    if (::lstat("/", &info) != 0) return failed("/");
    way->steps.push_back({"/", InfoOf("/", info)});
    std::vector<std::string> pending;
    PushComponents(path, pending);
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        const std::string& here = way->steps.back().path;
        if (part == "..") {
            if (way->steps.size() > 1) way->steps.pop_back();
            continue;
        }
        if (!way->steps.back().info.directory) {
            errno = ENOTDIR;
            return failed(here);
        }
        const std::string next = JoinPath(here, part);
        if (::lstat(next.c_str(), &info) != 0) {
            if (errno == ENOENT) return true;
            return failed(next);
        }
        if (S_ISLNK(info.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(next.c_str(), target, sizeof target);
            if (n < 0) return failed(next);
            errno = ++links > 40 ? ELOOP : ENAMETOOLONG;
            if (links > 40 || static_cast<std::size_t>(n) == sizeof target) return failed(next);
            const std::string_view to(target, static_cast<std::size_t>(n));
            if (to.starts_with('/')) way->steps.resize(1);
            PushComponents(to, pending);
            continue;
        }
        way->steps.push_back({next, InfoOf(next, info)});
    }
    way->reached = true;
    return true;
}

std::string PosixFileSystem::Resolved(const std::string& path) {
    char* resolved = IsUsable(path) ? ::realpath(path.c_str(), nullptr) : nullptr;
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::optional<std::vector<std::string>> PosixFileSystem::List(const std::string& directory,
                                                              std::string* err) {
    if (!IsUsable(directory)) {
        Unusable(err);
        return std::nullopt;
    }
    DIR* entries = ::opendir(directory.c_str());
    if (entries == nullptr) {
        Fail(err);
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(entries);
    return names;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path, std::size_t limit,
                                                     std::string* err) {
    if (!IsUsable(path)) {
        Unusable(err);
        return std::nullopt;
    }
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::string();
        Fail(err);
        return std::nullopt;
    }
    struct stat info;
    std::optional<std::string> contents;
    if (::fstat(fd, &info) != 0) {
        Fail(err);
    } else if (!S_ISREG(info.st_mode)) {
        if (err != nullptr)
            *err = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
    } else {
        contents.emplace();
    }
    char buffer[16384];
    while (contents) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            Fail(err);
            contents.reset();
        } else if (contents->size() + static_cast<std::size_t>(n) > limit) {
            if (err != nullptr) *err = "larger than " + std::to_string(limit) + " bytes";
            contents.reset();
        } else {
            contents->append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return contents;
}

}  // namespace torvale
