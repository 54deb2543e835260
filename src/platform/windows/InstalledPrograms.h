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

// Where this user chooses, in Settings, what opens torvale:// links.
inline constexpr const char* kUserChoiceKey =
    "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\torvale\\UserChoice";

// What Windows runs for torvale:// links, as the shell finds it: the class
// the user chose in Settings, else the scheme's own; this user's
// registration under Software\\Classes, else the machine's, as the shell
// merges them into HKEY_CLASSES_ROOT.
struct RegisteredHandler {
    std::string command;       // its open command; empty: none
    std::string key;           // the key it was read from
    std::string progId;        // the class the user chose; empty: none but the scheme
    bool urlProtocol = false;  // whether the scheme's key says it is a URL scheme
};
RegisteredHandler FindRegisteredHandler();

// A path with its "%NAME%" variables expanded as this process's environment
// has them ("%ProgramFiles%\\PuTTY"); the path as written where it cannot be.
std::string ExpandedPath(std::string_view path);

}  // namespace torvale
