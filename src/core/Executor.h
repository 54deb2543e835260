#pragma once

// Carrying out a plan: the one part of a request pass that connects, writes
// or runs anything.

#include "core/LaunchHistory.h"
#include "core/Platform.h"
#include "core/config/Configuration.h"
#include "core/plan/Plan.h"

namespace torvale {

// In order: the debug alert of the URL; the refusal's alert, or the gateway
// decision (every host refused while configuration.ini has an error, else
// the allow-list alone where there is one, else the user's trusted hosts,
// else the trust question built from the plan's destination); the files; the
// debug alert of the line; the command. Nothing is written or run before the
// decision, nor for a plan that names no destination. Answers the record of
// it, secrets unmasked: the history masks its own copy.
LaunchRecord Execute(const Plan& plan, const Configuration& config, Platform& platform);

}  // namespace torvale
