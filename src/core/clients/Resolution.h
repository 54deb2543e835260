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

// Finds a client: the path configuration.ini gives for it, then each program
// of the table in order, an absolute path where it stands and a name in each
// absolute directory of `searchPath` (PATH). `exists` answers whether
// anything stands at a path.
std::optional<ResolvedClient> ResolveClient(const ClientApp& app, const Configuration& config,
                                            std::string_view searchPath,
                                            const std::function<bool(const std::string&)>& exists);

// Where ResolveClient looks, in its order: the configured path, followed by
// `configured`, then the table's programs, a path as it is and a name looked
// up in PATH as `inPath` writes it.
std::vector<std::string> PlacesToLook(
    const ClientApp& app, const Configuration& config, std::string_view configured,
    const std::function<std::string(std::string_view name)>& inPath);

// Where ResolveClient looks, as a not-found alert says it: "已查找：" and the
// configured path, the table's paths and each name in PATH.
std::string PlacesLookedIn(const ClientApp& app, const Configuration& config,
                           std::string_view searchPath);

// The client a launch needs, as found before its plan is made: the program
// found, or the alert that says it is missing.
struct ClientChoice {
    const ClientApp* app = nullptr;  // nothing for an action that needs no client
    std::optional<ResolvedClient> found;
    std::string notFoundText;  // the client's own text, then where it was looked for (Linux)
};

ClientChoice ChooseClient(const ClientApp& app, const ClientTable& table,
                          const Configuration& config, std::string_view searchPath,
                          const std::function<bool(const std::string&)>& exists);

}  // namespace torvale
