#pragma once

// Trust on first use: the question a launch asks before it connects to a
// host that neither an administrator listed nor the user trusted.

#include <string>
#include <vector>

#include "core/plan/Plan.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/Preferences.h"

namespace torvale {

// Where the user's trusted hosts are kept among the preferences.
inline const std::string kTrustedGateways = "TrustedGateways";

// The hosts the user chose to trust always, in the order trusted; adding one
// and forgetting them all, false with the reason when the change is not kept.
std::vector<std::string> TrustedGateways(Preferences& preferences);
bool TrustAlways(Preferences& preferences, const std::string& host, std::string* err);
bool ForgetGateways(Preferences& preferences, std::string* err);

// The question, every value in it escaped as alerts escape them.
Question TrustQuestion(const Destination& destination);

}  // namespace torvale
