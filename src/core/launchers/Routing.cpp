#include "core/launchers/Routing.h"

#include "base/Path.h"

namespace torvale {
namespace {

// Why SSH and Telnet links open in the user's terminal rather than in
// SecureCRT (found or not, as `secureCRT` says); empty where they do not.
std::string_view WhyInTerminal(const ClientTable& table, const Configuration& config,
                               const ClientChoice& secureCRT) {
    if (config.preferOpenSSH) return "SSH = openssh in configuration.ini";
    return !secureCRT.found && table.sshWithoutSecureCRT ? "SecureCRT not found" : "";
}

}  // namespace

Routing Resolve(const Route* route, const Request& request, const Configuration& config,
                const ClientTable& table, const MachineFacts& facts) {
    Routing routing;
    routing.route = route;
    if (route == nullptr || route->client == nullptr) return routing;
    auto choose = [&](ClientApp ClientTable::*app) {
        return ChooseClient(table.*app, table, config, facts.searchPath, facts.exists);
    };
    routing.launcher = route->launcher;
    routing.client = choose(route->client);
    if (route->inTerminal == nullptr) return routing;
    routing.inTerminalBecause = WhyInTerminal(table, config, routing.client);
    if (routing.inTerminalBecause.empty()) return routing;
    routing.launcher = route->inTerminal;
    // Telnet where a SecureCRT link asks for it, else ssh.
    const bool telnet = route->action == "StartSecureCRT" && request.m_protocol == "telnet";
    routing.client = choose(telnet ? &ClientTable::telnet : &ClientTable::openSSH);
    routing.terminal = choose(&ClientTable::terminal);
    // The question names the terminal the user will see, not the
    // alternative standing for it.
    if (auto& found = routing.terminal->found; found && facts.resolved) {
        const std::string program(BaseName(facts.resolved(found->path)));
        if (program != BaseName(found->path)) found->program = program;
    }
    return routing;
}

}  // namespace torvale
