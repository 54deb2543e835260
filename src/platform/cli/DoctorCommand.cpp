#include "platform/cli/DoctorCommand.h"

#include "core/doctor/Findings.h"
#include "platform/cli/CommandLine.h"

namespace torvale {

XdgFacts LocateForDoctor(Application& app, const Session& session, const std::string& handler) {
    app.Locate(session.home, session.searchPath);
    return XdgFacts(handler, session.preferencesPath, session.passLogPath, session.usedLinksPath);
}

int Doctor(Application& app, const Session& session, const std::string& handler) {
    XdgFacts facts = LocateForDoctor(app, session, handler);
    const std::vector<Finding> findings = Diagnose(app, facts);
    for (const Finding& finding : findings)
        Print(stdout, FindingLine(finding) + "\n");
    return AnyFails(findings) ? 1 : 0;
}

}  // namespace torvale
