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

// The terminal whose window the user will see, where `path` runs: the
// program its links lead to (Debian's /usr/bin/x-terminal-emulator to the
// alternative chosen), and where that is a script, the terminal the script
// starts, which Debian's scripts name in their own names:
// gnome-terminal.wrapper, xfce4-terminal.wrapper, mate-terminal.wrapper and
// tilix.wrapper start the program named before the dot; lxterm, uxterm and
// koi8rxterm the xterm their names end in, which draws each of their
// windows. Only a program beside the script is followed, and a name's end
// only where it is a terminal of the table: "terminator" ends in "tor".
std::string ShownTerminal(const std::string& path, const ClientApp& terminals,
                          const MachineFacts& facts) {
    std::string program = facts.resolved(path);
    // A few steps: a link back to a script must not go round for ever.
    for (int step = 0; step < 4 && facts.script && facts.script(program); ++step) {
        const std::string_view name = BaseName(program);
        std::string_view started = name.substr(0, name.find('.'));
        for (const ClientProgram& terminal : terminals.programs) {
            const std::string_view known = BaseName(terminal.path);
            if (started == name && known.size() < name.size() && name.ends_with(known))
                started = known;
        }
        const std::string beside = JoinPath(DirectoryOf(program), started);
        if (started.empty() || started == name || !facts.exists(beside)) break;
        program = facts.resolved(beside);
    }
    return std::string(BaseName(program));
}

}  // namespace

Routing Resolve(const Route* route, const Request& request, const Configuration& config,
                const ClientTable& table, const MachineFacts& facts) {
    Routing routing;
    routing.route = route;
    // Unnamed, the table has no such client: the action is a placeholder.
    if (route == nullptr || route->client == nullptr || (table.*route->client).name.empty())
        return routing;
    auto choose = [&](ClientApp ClientTable::*app) {
        return ChooseClient(table.*app, table, config, facts);
    };
    routing.launcher = route->launcher;
    routing.client = choose(route->client);
    if (route->standIn != nullptr && !(table.*route->standIn).name.empty()) {
        if (routing.client.found) return routing;
        const std::string missing = std::string(routing.client.app->name) + " not found";
        routing.launcher = route->standInLauncher;
        routing.client = choose(route->standIn);
        if (auto& found = routing.client.found)
            found->reason = found->reason.empty() ? missing : missing + "; " + found->reason;
        return routing;
    }
    if (route->inTerminal == nullptr || table.terminal.name.empty()) return routing;
    routing.inTerminalBecause = WhyInTerminal(table, config, routing.client);
    if (routing.inTerminalBecause.empty()) return routing;
    routing.launcher = route->inTerminal;
    // Telnet where a SecureCRT link asks for it, else ssh.
    const bool telnet = route->action == "StartSecureCRT" && request.m_protocol == "telnet";
    routing.client = choose(telnet ? &ClientTable::telnet : &ClientTable::openSSH);
    routing.terminal = choose(&ClientTable::terminal);
    // The question names the terminal the user will see, not the
    // alternative or the script standing for it.
    if (auto& found = routing.terminal->found; found && facts.resolved) {
        std::string program = ShownTerminal(found->path, table.terminal, facts);
        if (program != BaseName(found->path)) found->program = std::move(program);
    }
    return routing;
}

}  // namespace torvale
