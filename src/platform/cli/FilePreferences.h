#pragma once

#include <string>

#include "core/ports/FileSystem.h"
#include "core/ports/Preferences.h"

namespace torvale {

// Preferences in a plain file, one "key=value" a line, true written "true",
// a list as one line per entry with "%XX" for blanks, controls, "%" and
// bytes 0x7F and above. A line reads the same with blanks around "=" or a
// closing carriage return (a file edited by hand); only a regular file is
// read. Lines of other keys are kept as they are when a key is written; a
// file that cannot be read whole is never written. Each change reads and
// writes the file under a lock (torvale.conf.lock beside it), so that no
// concurrent change is lost, and writes through a symbolic link.
class FilePreferences final : public Preferences {
  public:
    // A file larger than `limit` is read as empty; a change reads it whole,
    // whatever its size, and writes what the change leaves.
    FilePreferences(FileSystem& files, std::string path, std::size_t limit = 1 << 16)
        : files_(files), path_(std::move(path)), limit_(limit) {}

    // ${XDG_CONFIG_HOME:-$HOME/.config}/torvale/torvale.conf
    static std::string DefaultPath(const char* xdgConfigHome, const std::string& home);

    bool GetBool(const std::string& key) override;
    bool SetBool(const std::string& key, bool value, std::string* err) override;
    std::vector<std::string> GetList(const std::string& key) override;
    bool UpdateList(const std::string& key, const ListChange& change, std::string* err) override;
    bool Remove(const std::string& key, std::string* err) override;

  private:
    // Rewrites the file without the key's lines, then with a line for each
    // value `change` makes of the values those lines held.
    bool Rewrite(const std::string& key, const ListChange& change, std::string* err);

    FileSystem& files_;
    std::string path_;
    std::size_t limit_;
};

}  // namespace torvale
