// QuendalApp, the gateway's own client: the whole request on its command line.

#include "core/AppDelegate.h"
#include "core/launchers/Checks.h"
#include "base/ShellQuote.h"

namespace torvale {

void AppDelegate::StartMstscAutoRunReplay() {
    const auto client = OpeningCheck(clients_.quendalApp);
    if (!client) return;
    // The client reads host and port from one argument: a port that is not
    // a number could name another host there.
    const std::string& host = Str(m_host);
    if (!Permitted(
            {host, WithPort(host, Str(m_port)), clients_.quendalApp.name, Str(m_username), {}},
            {{"port", !IsPort(Str(m_port))}})) {
        return;
    }

    // Each value stands in a double-quoted place of the fixed format, the
    // last one between literal double quotes that the client receives.
    std::string line = CommandPrefix(*client);
    line += "/v:" + DoubleQuoted(Str(m_host) + ":" + Str(m_port));
    line += " /u:" + DoubleQuoted(Str(m_username));
    line += " /p:" + DoubleQuoted(Str(m_password));
    line += " /app-name:" + DoubleQuoted(Str(m_path));
    line += " /app-cmd:" + DoubleQuoted("\"" + Str(m_param) + "\"");

    DebugAndRun(line);
}

}  // namespace torvale
