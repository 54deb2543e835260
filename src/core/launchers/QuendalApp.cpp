// QuendalApp, the gateway's own client: the whole request on its command line.

#include "core/address/Address.h"
#include "core/launchers/Launchers.h"

namespace torvale {

Plan PlanMstscAutoRunReplay(const Request& r, const LaunchContext& context) {
    Plan plan = OpeningCheck(context);
    if (plan.refusal) return plan;
    // The client reads host and port from one argument: a port that is not
    // a number could name another host there.
    const std::string& host = Str(r.m_host);
    const std::string& port = Str(r.m_port);
    if (RefuseUnsafe(plan, {{"host", !IsHost(host)}, {"port", !IsPort(port)}})) return plan;
    plan.destination = {host, WithPort(host, port), ClientShown(context), Str(r.m_username), {}};

    // Each value stands in a double-quoted place of the fixed format, the
    // last one between literal double quotes that the client receives.
    auto place = [](std::string_view name, std::string value, bool secret = false) {
        return Word{{std::string(name), Quoting::Literal},
                    {std::move(value), Quoting::DoubleQuoted, secret}};
    };
    Command command = StartCommand(context);
    // "host:port" as it has always been written, even without a port; an
    // IPv6 address in brackets, or its colons would be read as the port's.
    command.words.push_back(place("/v:", Bracketed(host) + ":" + port));
    command.words.push_back(place("/u:", Str(r.m_username)));
    const std::string* password = PasswordOnLine(plan, context, &Str(r.m_password));
    command.words.push_back(place("/p:", password ? *password : std::string(), true));
    command.words.push_back(place("/app-name:", Str(r.m_path)));
    command.words.push_back(place("/app-cmd:", "\"" + Str(r.m_param) + "\""));
    plan.command = std::move(command);
    return plan;
}

}  // namespace torvale
