#pragma once

// What the password's server reads on its standard input: the handover it
// serves, in the framing of WireParts.h.

#include <optional>
#include <string>
#include <string_view>

#include "core/plan/Handover.h"

namespace torvale {

std::string EncodeHandover(const Handover& handover);
// Nothing for a text that is not one whole handover.
std::optional<Handover> DecodeHandover(std::string_view text);

}  // namespace torvale
