#pragma once

// Carrying out a plan: the one part of a request pass that calls the seams.

#include "core/LaunchHistory.h"
#include "core/Platform.h"
#include "core/config/Configuration.h"
#include "core/plan/Plan.h"
#include "core/request/Request.h"

namespace torvale {

// In order: the debug alert of the URL; the refusal's alert, or the gateway
// decision (the allow-list alone where there is one, else the user's trusted
// hosts, else the trust question built from the plan's destination); the
// files; the debug alert of the line; the command. Nothing is written or run
// before the decision. Answers the history's record of it, secrets unmasked.
LaunchRecord Execute(const Request& request, const Plan& plan, const Configuration& config,
                     Platform& platform);

// The hosts the user chose to trust always, in the order trusted.
std::vector<std::string> TrustedGateways(Platform& platform);

}  // namespace torvale
