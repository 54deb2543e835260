#pragma once

#include <string>

#include "core/Application.h"
#include "platform/cli/Session.h"

namespace torvale {

// `--doctor`: the checks of the set-up, one line each on standard output.
// Answers the exit status: 1 when any check fails. `handler` is the program
// the desktop should hand torvale:// links to.
int Doctor(Application& app, const Session& session, const std::string& handler);

}  // namespace torvale
