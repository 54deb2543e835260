#include "platform/cli/AlertsCommand.h"

#include "platform/cli/CommandLine.h"

namespace torvale {

int ShowAlertsAgain(Application& app) {
    const bool silenced = app.AlertsSuppressed();
    if (!app.TurnAlertsBackOn()) return 1;
    Print(stdout, silenced ? "Alerts were silenced by \"don't show again\"; they are shown again.\n"
                           : "Alerts were shown already; nothing changed.\n");
    return 0;
}

}  // namespace torvale
