#pragma once

#include <string>
#include <string_view>

namespace torvale {

// What MachineFacts asks of Windows to find a client (the core looks in
// configuration.ini, then here, then in the table's install folders).

// The key under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE whose subkeys name
// programs by file name, their default value where installers put them.
inline constexpr const char* kAppPathsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The program App Paths registers for a file name ("putty.exe"): this
// user's key, then the machine's, its 64-bit view then its 32-bit one, the
// first whose program is there (an uninstalled program may leave its key
// behind), quotes taken off and variables expanded; else the first
// registered, else empty. Empty for anything but a file name.
std::string RegisteredProgram(std::string_view file);

// The command Windows runs for torvale:// links: this user's registration
// under Software\\Classes, else the machine's, as the shell merges them into
// HKEY_CLASSES_ROOT; `key` names the one read. Empty where neither is.
std::string RegisteredHandlerCommand(std::string* key);

// A path with its "%NAME%" variables expanded as this process's environment
// has them ("%ProgramFiles%\\PuTTY"); the path as written where it cannot be.
std::string ExpandedPath(std::string_view path);

}  // namespace torvale
