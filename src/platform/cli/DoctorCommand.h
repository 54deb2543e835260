#pragma once

#include <string>

#include "core/Application.h"
#include "platform/cli/SettingsCommands.h"
#include "platform/cli/Session.h"
#include "platform/cli/XdgFacts.h"

namespace torvale {

// What --doctor and the Torvale window judge: the application located as a
// launch would locate it, and the facts of this desktop. `handler` is the
// program the desktop should hand torvale:// links to.
XdgFacts LocateForDoctor(Application& app, const Session& session, const std::string& handler);

// `--doctor`: the checks of the set-up, one line each on standard output.
// Answers the exit status: 1 when any check fails.
int Doctor(Application& app, const Session& session, const std::string& handler);

}  // namespace torvale
