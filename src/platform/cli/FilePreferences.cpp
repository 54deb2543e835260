#include "platform/cli/FilePreferences.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "base/Path.h"
#include "base/Text.h"

namespace torvale {
namespace {

// A file that cannot be read reads as one without settings.
std::vector<std::string> ReadLines(FileSystem& files, const std::string& path, std::size_t limit) {
    const std::string text = files.ReadFile(path, limit, nullptr).value_or(std::string());
    const auto lines = Lines(text);
    return {lines.begin(), lines.end()};
}

// The value on a line of `key`, or nothing for a line of another key.
std::optional<std::string_view> ValueOf(std::string_view line, const std::string& key) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)) != key)
        return std::nullopt;
    return Trim(line.substr(equals + 1));
}

// The file a chain of symbolic links ends at, or the path itself.
std::string LinkTarget(std::string path) {
    for (int hops = 0; hops < 16; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0) break;
        const std::string link(target, static_cast<std::size_t>(n));
        path = link[0] == '/' ? link : JoinPath(DirectoryOf(path), link);
    }
    return path;
}

}  // namespace

std::string FilePreferences::DefaultPath(const char* xdgConfigHome, const std::string& home) {
    const std::string base = xdgConfigHome != nullptr && *xdgConfigHome == '/'
                                 ? std::string(xdgConfigHome)
                                 : home + "/.config";
    return base + "/torvale/torvale.conf";
}

bool FilePreferences::GetBool(const std::string& key) {
    bool value = false;
    for (const std::string& line : ReadLines(files_, path_, limit_)) {
        if (const auto text = ValueOf(line, key)) value = *text == "true";
    }
    return value;
}

bool FilePreferences::SetBool(const std::string& key, bool value, std::string* err) {
    return Rewrite(
        key, [&](auto) { return std::vector<std::string>{value ? "true" : "false"}; }, err);
}

std::vector<std::string> FilePreferences::GetList(const std::string& key) {
    std::vector<std::string> values;
    for (const std::string& line : ReadLines(files_, path_, limit_)) {
        if (const auto text = ValueOf(line, key)) values.push_back(EntryDecoded(*text));
    }
    return values;
}

bool FilePreferences::UpdateList(const std::string& key, const ListChange& change,
                                 std::string* err) {
    return Rewrite(key, change, err);
}

bool FilePreferences::Remove(const std::string& key, std::string* err) {
    return Rewrite(
        key, [](auto) { return std::vector<std::string>{}; }, err);
}

bool FilePreferences::Rewrite(const std::string& key, const ListChange& change, std::string* err) {
    auto fail = [&](const std::string& why) {
        if (err != nullptr) *err = why;
        return false;
    };
    std::string why;
    const std::string directory(DirectoryOf(path_));
    if (!files_.CreateDirectory(directory, 0700, &why))
        return fail(directory + " cannot be made: " + why);
    // Read, change and write under a lock: two processes answering "always"
    // at once would each write what it read, and one answer would be lost.
    const std::string lockPath = path_ + ".lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (lock < 0) return fail(lockPath + " cannot be opened: " + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }  // which releases the lock
    } const closer{lock};
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) return fail(lockPath + " cannot be locked: " + std::strerror(errno));
    }
    // A file kept as a symbolic link (a dotfiles manager's) is written where
    // the link points: replacing the link would silently part the two.
    const std::string path = LinkTarget(path_);
    // Read whole, whatever its size: a change is how a file past the limit
    // comes back under it (marking a link used drops those expired). One
    // that cannot be read stays as it is: rewriting it from what could be
    // read would lose every other line in it.
    const auto old = files_.ReadFile(path, std::numeric_limits<std::size_t>::max(), &why);
    if (!old) return fail(path + " cannot be read: " + why);
    std::string text;
    std::vector<std::string> values;
    for (const std::string_view line : Lines(*old)) {
        if (const auto value = ValueOf(line, key)) {
            values.push_back(EntryDecoded(*value));
        } else {
            text += std::string(line) + "\n";
        }
    }
    for (const std::string& value : change(std::move(values)))
        text += key + "=" + EntryEncoded(value) + "\n";
    if (!files_.WriteFile(path, text, 0644, &why)) return fail(path + " cannot be written: " + why);
    return true;
}

}  // namespace torvale
