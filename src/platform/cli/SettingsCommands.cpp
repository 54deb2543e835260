#include "platform/cli/SettingsCommands.h"

#include "base/Printable.h"
#include "platform/cli/CommandLine.h"

namespace torvale {

int ShowAlertsAgain(Application& app) {
    const bool silenced = app.AlertsSuppressed();
    if (!app.TurnAlertsBackOn()) return 1;
    Print(stdout, silenced ? "Alerts were silenced by \"don't show again\"; they are shown again.\n"
                           : "Alerts were shown already; nothing changed.\n");
    return 0;
}

int ForgetGateways(Application& app) {
    const std::vector<std::string> trusted = app.TrustedGateways();
    if (!app.ForgetGateways()) return 1;
    for (const std::string& host : trusted)
        Print(stdout, "forgot " + Printable(host) + "\n");
    return 0;
}

}  // namespace torvale
