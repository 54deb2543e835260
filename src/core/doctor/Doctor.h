#pragma once

#include <string>
#include <vector>

namespace torvale {

// One check of how Torvale is set up on this machine.
struct Finding {
    enum Level { Ok, Warn, Fail };
    Level level;
    std::string check;   // "handler", "data directory", "client FileZilla", ...
    std::string detail;  // what was found
    std::string fix;     // for warn and fail: what to do, in a few words
};

// "ok    handler: torvale.desktop runs /usr/bin/torvale-desktop", a warning
// or failure followed by "; fix: ..."; every value escaped as log lines are.
std::string FindingLine(const Finding& finding);

// Whether any finding fails.
bool AnyFails(const std::vector<Finding>& findings);

}  // namespace torvale
