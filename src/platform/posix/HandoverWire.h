#pragma once

// The handover as the serving process reads it on its standard input, and
// back: each part its length in decimal, a line feed, then its bytes.

#include <optional>
#include <string>
#include <string_view>

#include "core/plan/Handover.h"

namespace torvale {

std::string EncodeHandover(const Handover& handover);
// Nothing for a text that is not one whole handover.
std::optional<Handover> DecodeHandover(std::string_view text);

}  // namespace torvale
