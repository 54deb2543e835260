#pragma once

#include "core/ports/FileSystem.h"

namespace torvale {

// FileSystem on Win32's wide calls. Paths are UTF-8 with "\\" or "/";
// paths it hands back are as Windows names them, with "\\". A mode whose group
// and other bits are clear (0700, 0600) makes what it creates private: a
// protected access-control list with one entry, for this user. No handle is
// inherited by a client the shell starts.
class WindowsFileSystem final : public FileSystem {
  public:
    bool Exists(const std::string& path) override;
    bool CreateDirectory(const std::string& path, unsigned mode, std::string* err) override;
    // Only private or not: a private mode gives the private list, any other
    // the list the folder passes down.
    bool SetMode(const std::string& path, unsigned mode, std::string* err) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t limit,
                                        std::string* err) override;
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                   std::string* err) override;
    bool CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) override;
    bool RemoveLeftovers(const std::string& directory, std::span<const std::string_view> suffixes,
                         std::string* err) override;
    // The mode told of is what the list allows: the owner's bits, and the
    // group's and others' where any entry lets anyone else read or write;
    // `rootOwned` where Administrators or SYSTEM own it.
    std::optional<PathInfo> Inspect(const std::string& path) override;
    bool WayTo(const std::string& path, PathWay* way, std::string* err) override;
    std::string Resolved(const std::string& path) override;
    std::optional<std::vector<std::string>> List(const std::string& directory,
                                                 std::string* err) override;
    bool UsesAccessLists() override { return true; }
    bool ReadAccess(const std::string& path, AccessList* list, bool* present,
                    std::string* err) override;
};

}  // namespace torvale
