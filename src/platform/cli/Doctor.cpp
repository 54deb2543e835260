#include "platform/cli/Doctor.h"

#include <iostream>

#include "platform/cli/XdgFacts.h"

namespace torvale {

int Doctor(AppDelegate& delegate, const Session& session, const std::string& handler) {
    delegate.Locate(session.home, session.searchPath);
    XdgFacts facts(handler, session.preferencesPath);
    const std::vector<Finding> findings = delegate.Diagnose(facts);
    for (const Finding& finding : findings)
        std::cout << FindingLine(finding) << "\n";
    return AnyFails(findings) ? 1 : 0;
}

}  // namespace torvale
