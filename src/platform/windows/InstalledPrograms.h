#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

struct WindowsPlaces;

// A client's program as looked for on Windows, and every place looked in,
// in order, as --doctor and a not-found alert say them.
struct ProgramSearch {
    std::string path;  // "/" between its parts; empty: found nowhere
    std::vector<std::string> looked;
};

// Where Windows programs are found once configuration.ini names none: the
// App Paths key of the program's file name (this user's, then the
// machine's, 64-bit then 32-bit view), whose default value installers set
// to where they put it; then each install folder (Program Files, Program
// Files (x86), this user's Programs) with each path a client table gives
// inside them ("PuTTY/putty.exe"). Only a file that is there counts: an
// uninstalled program may leave its App Paths key behind.
class InstalledPrograms {
  public:
    explicit InstalledPrograms(std::vector<std::string> installFolders)
        : installFolders_(std::move(installFolders)) {}
    // Program Files, Program Files (x86) and this user's Programs, those the
    // system has.
    static std::vector<std::string> InstallFolders(const WindowsPlaces& places);

    // `file`: the program's file name, "putty.exe"; `inFolders`: where it
    // is inside an install folder, "/" or "\\" between parts.
    ProgramSearch Find(std::string_view file, std::span<const std::string_view> inFolders) const;

  private:
    std::vector<std::string> installFolders_;
};

// The key under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE whose subkeys name
// programs by file name.
inline constexpr const char* kAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

}  // namespace torvale
