#pragma once

#include "core/ports/FileSystem.h"

namespace torvale {

// FileSystem on POSIX calls, for macOS and Linux alike. Every descriptor is
// opened close-on-exec, so no file reaches a client the shell starts. A path
// holding a NUL byte is refused: the call would act on a shorter path.
class PosixFileSystem final : public FileSystem {
  public:
    bool Exists(const std::string& path) override;
    bool CreateDirectory(const std::string& path, unsigned mode, std::string* err) override;
    bool SetMode(const std::string& path, unsigned mode, std::string* err) override;
    std::optional<std::string> ReadFile(const std::string& path, std::size_t limit,
                                        std::string* err) override;
    bool WriteFile(const std::string& path, std::string_view contents, unsigned mode,
                   std::string* err) override;
    bool CreateEmptyFile(const std::string& path, unsigned mode, std::string* err) override;
    bool RemoveLeftovers(const std::string& directory, std::span<const std::string_view> suffixes,
                         std::string* err) override;
    std::optional<PathInfo> Inspect(const std::string& path) override;
    bool WayTo(const std::string& path, PathWay* way, std::string* err) override;
    std::string Resolved(const std::string& path) override;
    std::optional<std::vector<std::string>> List(const std::string& directory,
                                                 std::string* err) override;
};

}  // namespace torvale
