// QuendalApp, the gateway's own client: the whole request on its command line.

#include "app/AppDelegate.h"
#include "app/ShellQuote.h"

namespace torvale {

void AppDelegate::StartMstscAutoRunReplay() {
    if (!OpeningCheck(clients::kQuendalApp)) return;

    // Every value sits inside double quotes of the fixed format; escaping it
    // there keeps the format's quotes, and so its five arguments, intact.
    auto in = [](const Field& field) { return DoubleQuoteEscape(Str(field)); };

    std::string line(clients::kQuendalApp.commandPrefix);
    line += "/v:\"" + in(m_host) + ":" + in(m_port) + "\"";
    line += " /u:\"" + in(m_username) + "\"";
    line += " /p:\"" + in(m_password) + "\"";
    line += " /app-name:\"" + in(m_path) + "\"";
    line += " /app-cmd:\"\\\"" + in(m_param) + "\\\"\"";

    DebugAndRun(line);
}

}  // namespace torvale
