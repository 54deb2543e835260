// SecureCRT: the gateway connection (SSH or Telnet), and the monitor and
// display connections. It takes a password only as /password on its command
// line: on Windows none is given it, and the user types it.

#include "core/address/Address.h"
#include "core/launchers/Checks.h"
#include "core/launchers/Launchers.h"

namespace torvale {
namespace {

// The monitor and display lines differ only in the login name's separators
// and in the switches ahead of it.
Plan PlanMonitoring(const Request& r, const LaunchContext& context, std::string_view switches,
                    std::string_view afterUser, std::string_view afterSid) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;

    const std::string login = MonitoringLogin(r, afterUser, afterSid);
    const std::string& host = Str(r.m_host);
    const std::string& port = Str(r.m_monitorport);
    if (RefuseUnsafe(plan, {{"monitoruser", OptionLike(login)},
                            {"host", !IsHost(host)},
                            {"monitorport", !IsPort(port)}})) {
        return plan;
    }
    plan.destination = {host, WithPort(host, port), ClientShown(context), login, {}};

    Command command = StartCommand(context);
    command.Literal(switches);
    command.Value(login);
    if (const std::string* password = PasswordOnLine(plan, context, &Str(r.m_monitorpassword))) {
        command.Literal("/password");
        command.Value(*password, true);
    }
    command.Value(host);
    command.Literal("/P");
    command.Value(port);
    plan.command = std::move(command);
    return plan;
}

}  // namespace

Plan PlanSecureCRT(const Request& r, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;

    // SecureCRT reads a word that begins with "/" or "-" as a switch: none of
    // these may start one.
    const std::string port = SshPort(r);
    const std::string login = LoginName(r);
    const std::string& host = Str(r.m_proxy_addr);
    const bool tab = r.m_crttab == "1";
    if (RefuseUnsafe(plan, {{LoginKey(r), OptionLike(login)},
                            {"sshport", !IsPort(port)},
                            {"proxy_addr", !IsHost(host)},
                            {"target_username", tab && OptionLike(Str(r.m_target_username))}})) {
        return plan;
    }
    plan.destination = {host, WithPort(host, port), ClientShown(context), login, {}};

    Command command = StartCommand(context);
    if (tab) {
        command.Literal("/T /N");
        command.words.push_back(
            {{Str(r.m_target_username)}, {"@", Quoting::Literal}, {Str(r.m_target_ip)}});
    }
    if (r.m_protocol == "telnet") {
        command.Literal("/telnet");
    } else if (r.m_protocol == "ssh2" || r.m_protocol == "ssh") {
        command.Literal("/ssh2 /AUTH password");
    } else {
        command.Literal("/ssh1");
    }
    command.Literal("/l");
    command.Value(login);
    if (const std::string* password = PasswordOnLine(plan, context, EntrustedPassword(r))) {
        command.Literal("/password");
        command.Value(*password, true);
    }
    command.Literal("/P");
    command.Value(port);
    command.Value(host);
    plan.command = std::move(command);
    return plan;
}

Plan PlanSecureCRTDisplay(const Request& request, const LaunchContext& context) {
    return PlanMonitoring(request, context, "/ssh2 /AUTH password /l", "--", "--");
}

Plan PlanSecureCRTMonitor(const Request& request, const LaunchContext& context) {
    return PlanMonitoring(request, context, "/ssh2 /l", "2-", "-");
}

}  // namespace torvale
