#pragma once

// Trust on first use: the question a launch asks before it connects to a
// host that neither an administrator listed nor the user trusted.

#include <string>

#include "core/plan/Plan.h"
#include "core/ports/AlertPanel.h"

namespace torvale {

// Where the user's trusted hosts are kept among the preferences.
inline const std::string kTrustedGateways = "TrustedGateways";

// The question, every value in it escaped as alerts escape them.
Question TrustQuestion(const Destination& destination);

}  // namespace torvale
