#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// Paths as the application builds them: "/" separates, and a path may name a
// file in the root ("/x") or stand without a directory ("x").

// Where the last component begins: after the last "/" (or `separator`, for
// a path of another system), or 0 without one.
inline std::size_t NameStart(std::string_view path, char separator = '/') {
    const std::size_t slash = path.rfind(separator);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// The last component: "b" for "/a/b", "x" for "x".
inline std::string_view BaseName(std::string_view path, char separator = '/') {
    return path.substr(NameStart(path, separator));
}

// Whether a path is absolute as Windows writes it: a drive's ("C:\\x",
// "C:/x") or a share's ("\\\\server\\x").
inline bool IsWindowsAbsolute(std::string_view path) {
    const bool drive = path.size() > 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                       path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    return drive || path.starts_with("\\\\") || path.starts_with("//");
}

// The directory a path names its file in: "/a" for "/a/b" and "/a//b", "/"
// for "/x", "." for "x".
inline std::string_view DirectoryOf(std::string_view path) {
    const std::size_t start = NameStart(path);
    if (start == 0) return ".";
    const std::size_t end = path.find_last_not_of('/', start - 1);
    return end == std::string_view::npos ? std::string_view("/") : path.substr(0, end + 1);
}

// `name` inside `directory`, without doubling the root's "/": the separator
// of the system the path is for ('\\' on Windows).
inline std::string JoinPath(std::string_view directory, std::string_view name,
                            char separator = '/') {
    std::string path(directory);
    if (!path.ends_with(separator)) path += separator;
    path += name;
    return path;
}

// The directories of a search path (PATH) where a program name is looked
// for, in order: the absolute ones, as a relative one would depend on where
// we were started.
inline std::vector<std::string_view> SearchDirectories(std::string_view searchPath) {
    std::vector<std::string_view> directories;
    while (!searchPath.empty()) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view directory = searchPath.substr(0, colon);
        searchPath =
            colon == std::string_view::npos ? std::string_view() : searchPath.substr(colon + 1);
        if (directory.starts_with("/")) directories.push_back(directory);
    }
    return directories;
}

}  // namespace torvale
