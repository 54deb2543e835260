#include "platform/cli/DoctorCommand.h"

#include "core/doctor/Findings.h"
#include "platform/cli/CommandLine.h"

namespace torvale {

int Doctor(Application& app, SystemFacts& facts) {
    const std::vector<Finding> findings = Diagnose(app, facts);
    for (const Finding& finding : findings)
        Print(stdout, FindingLine(finding, app.Clients().ForWindows()) + "\n");
    return AnyFails(findings) ? 1 : 0;
}

}  // namespace torvale
