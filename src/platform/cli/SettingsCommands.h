#pragma once

#include "core/Application.h"

namespace torvale {

// `--show-alerts`: alerts shown again after "don't show again", and a line
// on standard output that says whether that changed anything. Answers the
// exit status: 1 when the preferences could not be changed (the log says why).
int ShowAlertsAgain(Application& app);

// `--forget-gateways`: the trusted hosts forgotten, each named on standard
// output ("forgot HOST"). Answers the exit status: 1 when they could not be
// forgotten (the log says why).
int ForgetGateways(Application& app);

}  // namespace torvale
