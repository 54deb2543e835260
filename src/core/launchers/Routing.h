#pragma once

// Which launcher answers a link, and with which programs: decided once, from
// the route, the request, configuration.ini and what this machine has, for
// the pass to carry out and for --doctor to show.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/clients/ClientTable.h"
#include "core/clients/Resolution.h"
#include "core/config/Configuration.h"
#include "core/launchers/Launchers.h"
#include "core/request/Request.h"

namespace torvale {

struct Routing {
    const Route* route = nullptr;  // none for an unknown action
    Launcher launcher = nullptr;   // none where the action is unknown or not implemented
    ClientChoice client;           // the program the launcher starts, found or not
    // Where the link opens in the user's terminal: the terminal, and why
    // there rather than in SecureCRT.
    std::optional<ClientChoice> terminal;
    std::string_view inTerminalBecause;
};

Routing Resolve(const Route* route, const Request& request, const Configuration& config,
                const ClientTable& table, const MachineFacts& facts);

}  // namespace torvale
