#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/clients/ClientTable.h"
#include "core/config/Configuration.h"

namespace torvale {

// A client application found on this machine, and how its line begins.
struct ResolvedClient {
    std::string path;
    const ClientProgram* form;
    std::string reason;  // empty for the client's own program at its usual place
    // The program that really runs there, where the path is a link to it
    // (the terminal an alternative names); empty: the path's own.
    std::string program = {};
};

// What a resolution asks of this machine.
struct MachineFacts {
    std::string_view searchPath;                     // PATH: where a program named alone is
    std::function<bool(const std::string&)> exists;  // whether anything stands at a path
    // Where a path leads once its links are followed; unset: nowhere else.
    std::function<std::string(const std::string&)> resolved = {};
    // Whether the program at a path is a script ("#!"); unset: none is.
    std::function<bool(const std::string&)> script = {};
    // Windows: the path App Paths registers for a program's file name
    // ("putty.exe"), HKCU's before HKLM's, empty for none; and a path with
    // its "%NAME%" variables expanded. Unset: none registered, paths as
    // written.
    std::function<std::string(std::string_view)> registered = {};
    std::function<std::string(std::string_view)> expanded = {};
};

// Finds a client: the path configuration.ini gives for it, then each program
// of the table in order, an absolute path where it stands and a name in each
// absolute directory of PATH, or on Windows a relative path under App Paths
// and then in each install folder.
std::optional<ResolvedClient> ResolveClient(const ClientApp& app, const ClientTable& table,
                                            const Configuration& config, const MachineFacts& facts);

// Where ResolveClient looks, in its order: the configured path, followed by
// `configured`, then the table's programs, a path as it is and a name looked
// up in PATH (App Paths) as `inPath` writes it, then in each install folder.
std::vector<std::string> PlacesToLook(
    const ClientApp& app, const ClientTable& table, const Configuration& config,
    std::string_view configured, const std::function<std::string(std::string_view name)>& inPath);

// Where ResolveClient looks, as a not-found alert says it: "已查找：" and the
// configured path, the table's paths and each name in PATH (App Paths).
std::string PlacesLookedIn(const ClientApp& app, const ClientTable& table,
                           const Configuration& config, std::string_view searchPath);

// The client a launch needs, as found before its plan is made: the program
// found, or the alert that says it is missing.
struct ClientChoice {
    const ClientApp* app = nullptr;  // nothing for an action that needs no client
    std::optional<ResolvedClient> found;
    std::string notFoundText;  // the client's own text, then where it was looked for (Linux)
};

ClientChoice ChooseClient(const ClientApp& app, const ClientTable& table,
                          const Configuration& config, const MachineFacts& facts);

}  // namespace torvale
