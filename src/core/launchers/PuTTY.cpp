// PuTTY (Windows): the gateway connection over SSH or Telnet, and the
// monitor and display connections. An entrusted password reaches it in a
// file named by -pwfile, never on its command line.

#include "core/address/Address.h"
#include "core/launchers/Checks.h"
#include "core/launchers/Launchers.h"

namespace torvale {
namespace {

// `switches` name the protocol. PuTTY reads the first line of its password
// file: a password with a line end in it would reach the server cut short.
Plan PlanConnection(const SshLogin& l, std::string_view switches, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;
    const bool telnet = switches == "-telnet";
    const bool password = l.password != nullptr && !l.password->empty();
    if (RefuseUnsafe(plan,
                     {{l.loginKey, OptionLike(l.login)},
                      {l.portKey, !IsPort(l.port)},
                      {l.hostKey, !IsHost(l.host) || l.host.empty()},
                      {l.passwordKey, password && !telnet &&
                                          l.password->find_first_of("\r\n") != std::string::npos}}))
        return plan;
    plan.destination = {l.host, WithPort(l.host, l.port), ClientShown(context), l.login, {}};

    Command command = StartCommand(context);
    command.Literal(switches);
    if (!l.port.empty()) {
        command.Literal("-P");
        command.Value(l.port);
    }
    command.Literal("-l");
    command.Value(l.login);
    if (password && telnet) {
        PasswordToType(plan, "PuTTY logs in to Telnet without a password of its own");
    } else if (password) {
        command.Literal("-pwfile");
        command.Value(PasswordFile(plan, context, "putty", *l.password));
    }
    // PuTTY takes an IPv6 address bare.
    command.Value(Unbracketed(l.host));
    plan.command = std::move(command);
    return plan;
}

Plan PlanMonitoring(const Request& r, const LaunchContext& context, std::string_view afterUser,
                    std::string_view afterSid) {
    return PlanConnection(MonitoringConnection(r, afterUser, afterSid), "-ssh -2", context);
}

}  // namespace

// The protocol as SecureCRT's line reads `protocol`.
Plan PlanPutty(const Request& r, const LaunchContext& context) {
    const std::string_view switches = r.m_protocol == "telnet"                          ? "-telnet"
                                      : r.m_protocol == "ssh2" || r.m_protocol == "ssh" ? "-ssh -2"
                                                                                        : "-ssh -1";
    return PlanConnection(GatewayLogin(r), switches, context);
}

Plan PlanPuttyDisplay(const Request& request, const LaunchContext& context) {
    return PlanMonitoring(request, context, "--", "--");
}

Plan PlanPuttyMonitor(const Request& request, const LaunchContext& context) {
    return PlanMonitoring(request, context, "2-", "-");
}

}  // namespace torvale
