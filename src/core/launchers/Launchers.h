#pragma once

// The launchers: each a function from the request to a plan, touching no
// port. What a launcher needs of this machine (its client, found or not,
// and the user data directory) is found before it runs and handed to it.

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/clients/ClientTable.h"
#include "core/clients/Resolution.h"
#include "core/plan/Plan.h"
#include "core/request/Request.h"

namespace torvale {

struct LaunchContext {
    const ClientTable& table;
    const ClientChoice& client;  // the route's client; none for a placeholder
    const std::string& configDir;
    const std::string& home;  // the user's home folder, which a drive may name
    // For a link that opens in a terminal: the terminal, and why not SecureCRT.
    const ClientChoice* terminal = nullptr;
    std::string_view inTerminalBecause = {};
    // The program ssh runs as its askpass helper (this one; empty: none, the
    // user types the password), and a name unique to this pass for what it
    // leaves in the user data directory.
    std::string_view askpassHelper = {};
    std::string_view passName = {};
    // Where a launch in Terminal.app leaves its script and askpass socket:
    // the user's own temporary directory, or the data directory.
    std::string_view temporaryDir = {};
    // What the terminal's ssh says of its release (`ssh -V`); empty: unknown.
    std::string_view sshRelease = {};
};

using Launcher = Plan (*)(const Request&, const LaunchContext&);

// One action name and what answers it: a launcher and the client it needs,
// and the alert of an action that is not implemented, where the table has
// no such client (PuTTY and WinSCP outside Windows) or names none at all.
struct Route {
    std::string_view action;
    ClientApp ClientTable::*client = nullptr;
    Launcher launcher = nullptr;
    std::string_view notImplemented = {};
    // The launcher where the link opens in the user's terminal instead
    // (ssh or telnet, without SecureCRT).
    Launcher inTerminal = nullptr;
    // The client that stands in where the route's own is missing, if the
    // table has it (PuTTY for SecureCRT, WinSCP for FileZilla), and its
    // launcher.
    ClientApp ClientTable::*standIn = nullptr;
    Launcher standInLauncher = nullptr;
};

// The route of an action, or nothing: `action` reaches these fourteen and no
// other.
const Route* FindRoute(const Field& action);

// The plan of a route (none: an unknown action) with the launcher resolved
// for it (none: an action not implemented).
Plan PlanLaunch(const Route* route, Launcher launcher, const Request& request,
                const LaunchContext& context);

Plan PlanSecureCRT(const Request& request, const LaunchContext& context);
Plan PlanSecureCRTMonitor(const Request& request, const LaunchContext& context);
Plan PlanSecureCRTDisplay(const Request& request, const LaunchContext& context);
Plan PlanFileZilla(const Request& request, const LaunchContext& context);
Plan PlanMstsc(const Request& request, const LaunchContext& context);
Plan PlanMstscAutoRun(const Request& request, const LaunchContext& context);
Plan PlanMstscAutoRunReplay(const Request& request, const LaunchContext& context);
Plan PlanSshInTerminal(const Request& request, const LaunchContext& context);
Plan PlanMonitorInTerminal(const Request& request, const LaunchContext& context);
Plan PlanDisplayInTerminal(const Request& request, const LaunchContext& context);
Plan PlanPutty(const Request& request, const LaunchContext& context);
Plan PlanPuttyMonitor(const Request& request, const LaunchContext& context);
Plan PlanPuttyDisplay(const Request& request, const LaunchContext& context);
Plan PlanWinscp(const Request& request, const LaunchContext& context);

// The password the SSH connection hands its client, or none: with
// entrust_password=1, or entrust_username=0.
const std::string* EntrustedPassword(const Request& request);

// The port of an SSH link's connection: Telnet's own, or `sshport`.
std::string SshPort(const Request& request);

// The login of a monitor or display connection: the monitor user, the
// session and the connection, with the separators of each.
std::string MonitoringLogin(const Request& request, std::string_view afterUser,
                            std::string_view afterSid);

// One SSH or Telnet login as the link gives it, with the keys its values
// came from: the gateway's (`proxy_addr`, `sshport`, the user) or a monitor
// or display connection's (`host`, `monitorport`, the monitoring login).
struct SshLogin {
    std::string_view hostKey;
    const std::string& host;
    std::string_view portKey;
    std::string port;
    std::string_view loginKey;
    std::string login;
    std::string_view passwordKey;
    const std::string* password;  // none: the user types it, if one is asked for
};
SshLogin GatewayLogin(const Request& request);
SshLogin MonitoringConnection(const Request& request, std::string_view afterUser,
                              std::string_view afterSid);

// --- What every launcher begins with

// The plan with its client, or refused with the client's not-found alert
// when it is missing: the route's client, or another one the launch needs.
Plan OpeningCheck(const LaunchContext& context);
Plan OpeningCheck(const ClientChoice& choice);

// The client the question names: the program that really runs ("FreeRDP",
// "Windows App"), where it is not the client's own.
std::string ClientShown(const LaunchContext& context);

// The command up to the launcher's own arguments: `open` on macOS, the
// client's path, the words its form puts after it; of the route's client,
// or of another program the launch starts.
Command StartCommand(const LaunchContext& context);
Command StartCommand(const ClientTable& table, const ResolvedClient& client);

// A launch parameter's key and whether its value is unsafe where the
// launcher puts it.
struct Check {
    std::string_view key;
    bool unsafe;
};

// The release ssh -V names ("OpenSSH_8.1p1") where it is older than 8.4,
// which ignores SSH_ASKPASS_REQUIRE and so asks for the password in the
// terminal, never its helper; empty for any other, or one it cannot tell.
std::string_view SshWithoutForcedAskpass(std::string_view release);

// Where the table keeps passwords off command lines (Windows), a password
// its client takes nowhere else is left out: the user types it, the
// question's client line and the history say so. The password to put on the
// line, or none.
const std::string* PasswordOnLine(Plan& plan, const LaunchContext& context,
                                  const std::string* password);

// The password the user is to type instead, and why: the question's client
// line says so too (the destination is set).
void PasswordToType(Plan& plan, std::string why);

// A file with the password alone, which the client reads its first line of:
// private, in the user's temporary folder, removed once read. Its path.
std::string PasswordFile(Plan& plan, const LaunchContext& context, std::string_view client,
                         const std::string& password);

// Refuses the plan at the first unsafe value, naming its key, and answers
// whether it did.
bool RefuseUnsafe(Plan& plan, std::initializer_list<Check> checks);

}  // namespace torvale
