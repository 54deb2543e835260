#pragma once

#include <string>
#include <string_view>

namespace torvale {

// The few file operations the application needs. Every operation answers
// whether it succeeded; none throws.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when anything exists at the path; a symbolic link counts when its
    // target exists.
    virtual bool Exists(const std::string& path) = 0;

    // Creates the directory and any missing parents, with the given mode.
    virtual bool CreateDirectory(const std::string& path, unsigned mode) = 0;

    // Creates the file, or replaces the whole of an existing one, so that a
    // reader sees either the old content or the new, never a part of it.
    virtual bool WriteFile(const std::string& path, std::string_view contents, unsigned mode) = 0;

    // Removes the file (or empty directory) at the path.
    virtual bool Remove(const std::string& path) = 0;

    // Copies a file to a path where nothing stands yet.
    virtual bool Copy(const std::string& from, const std::string& to, unsigned mode) = 0;
};

}  // namespace torvale
