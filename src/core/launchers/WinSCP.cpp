// WinSCP (Windows): a new instance of its own, one session URL,
// protocol://host:port, with the login
// in /username= and an entrusted password in a file that
// /passwordsfromfiles makes /password= name, never on its command line.

#include "core/address/Address.h"
#include "core/launchers/Checks.h"
#include "core/launchers/Launchers.h"

namespace torvale {

Plan PlanWinscp(const Request& r, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;

    // The login stays out of the URL, where ";" would begin settings of
    // WinSCP's own. It reads the first line of a password file.
    const std::string port = r.m_protocol == "ftp" ? std::string("21") : Str(r.m_sshport);
    const std::string login = LoginName(r);
    const std::string& host = Str(r.m_proxy_addr);
    const std::string* password =
        r.m_entrust_password == "1" && !Str(r.m_password).empty() ? &Str(r.m_password) : nullptr;
    if (RefuseUnsafe(
            plan, {{"protocol", !IsUrlScheme(Str(r.m_protocol))},
                   {"proxy_addr", !IsHost(host) || host.empty() || ZoneInUrl(host)},
                   {"password", password && password->find_first_of("\r\n") != std::string::npos},
                   {"sshport", !IsPort(port)}}))
        return plan;
    plan.destination = {host, WithPort(host, port), ClientShown(context), login, {}};

    // A WinSCP already running would be handed the session, and the one we
    // start end at once: its password file removed as read before the other
    // had read it, and its watch over a client that is not the one connecting.
    Command command = StartCommand(context);
    command.Literal("/newinstance");
    Word url = {{Str(r.m_protocol)}, {"://", Quoting::Literal}, {Bracketed(host)}};
    if (!port.empty()) {
        url.push_back({":", Quoting::Literal});
        url.push_back({port});
    }
    command.words.push_back(std::move(url));
    command.words.push_back({{"/username=", Quoting::Literal}, {login}});
    if (password) {
        command.words.push_back(
            {{"/password=", Quoting::Literal}, {PasswordFile(plan, context, "winscp", *password)}});
        command.Literal("/passwordsfromfiles");
    }
    plan.command = std::move(command);
    return plan;
}

}  // namespace torvale
