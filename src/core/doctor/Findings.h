#pragma once

#include <string>
#include <vector>

#include "core/ports/SystemFacts.h"

namespace torvale {

class Application;

// One check of how Torvale is set up on this machine.
struct Finding {
    enum Level { Ok, Warn, Fail };
    Level level;
    std::string check;   // "handler", "data directory", "client FileZilla", ...
    std::string detail;  // what was found
    std::string fix;     // for warn and fail: what to do, in a few words
};

// "ok    handler: torvale.desktop runs /usr/bin/torvale-desktop", a warning
// or failure followed by "; fix: ..."; every value escaped as log lines are,
// but for `windows` a backslash stays one, so that a path or a command can be
// pasted as it is printed: no Windows path holds a character Printable escapes.
std::string FindingLine(const Finding& finding, bool windows = false);


// Whether any finding fails.
bool AnyFails(const std::vector<Finding>& findings);

// The checks of `--doctor` and of the macOS window, from what the ports and
// `facts` can see of the application once located. They change nothing: the
// configuration is read for the purpose, never the one a pass uses.
std::vector<Finding> Diagnose(Application& app, SystemFacts& facts);

}  // namespace torvale
