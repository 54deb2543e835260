#include "platform/cli/DoctorCommand.h"

#include <iostream>

#include "core/doctor/Findings.h"
#include "platform/cli/XdgFacts.h"

namespace torvale {

int Doctor(Application& app, const Session& session, const std::string& handler) {
    app.Locate(session.home, session.searchPath);
    XdgFacts facts(handler, session.preferencesPath, session.passLogPath);
    const std::vector<Finding> findings = Diagnose(app, facts);
    for (const Finding& finding : findings)
        std::cout << FindingLine(finding) << "\n";
    return AnyFails(findings) ? 1 : 0;
}

}  // namespace torvale
