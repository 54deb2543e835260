#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/clients/ClientTable.h"
#include "core/ports/FileSystem.h"
#include "core/ports/IniParser.h"

namespace torvale {

// configuration.ini, as the request pass uses it:
//
//   [clients]
//   SecureCRT = ~/Applications/SecureCRT.app     ; a client's path, "~/" for home
//   SSH = openssh                                ; or a terminal's path: SSH links
//                                                ; open ssh in a terminal
//   [gateways]
//   allow = 10.0.0.1, gw.example.com             ; the only hosts launches may go to
struct Configuration {
    struct ClientPath {
        std::string path;
        int line;
    };
    // By client name; only from a file without errors.
    std::map<std::string, ClientPath, std::less<>> clients;
    // "SSH = openssh", or a terminal's path there: SSH and Telnet links open
    // in a terminal even where SecureCRT is installed.
    bool preferOpenSSH = false;
    // Hosts launches may connect to; empty: every host.
    std::vector<std::string> allow;
    // The file has an error and may hold an allow-list (it mentions a
    // gateway or an allow line anywhere, in any case), or cannot be read: no
    // host is allowed, since a broken allow-list must not let everything
    // through.
    bool gatewaysInError = false;
    // The file exists but cannot be read at all.
    bool unreadable = false;
    // The first line that could not be read, or 0.
    int errorLine = 0;
    // Why the file or that line could not be read.
    std::string error;
};

// Reads the text of configuration.ini. Unknown sections and keys, lines that
// are not "key = value" and client paths that are not absolute are errors:
// the first one is reported in `errorLine`, and then no client path is used
// and, if the file may hold an allow-list, no host is allowed.
Configuration ParseConfiguration(std::string_view text, IniParser& parser, const ClientTable& table,
                                 const std::string& home);

// Reads configuration.ini from `path`: a missing file is an empty one, and
// one that cannot be read may hold an allow-list that we cannot see, so it
// allows no host.
Configuration ReadConfiguration(FileSystem& files, IniParser& parser, const std::string& path,
                                const ClientTable& table, const std::string& home);

}  // namespace torvale
