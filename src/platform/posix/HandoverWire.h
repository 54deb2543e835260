#pragma once

// What the background tasks read on their standard input, and back: the
// handover the serving process serves, and the pass of a watched client;
// each part its length in decimal, a line feed, then its bytes.

#include <optional>
#include <string>
#include <string_view>

#include "core/plan/Handover.h"
#include "core/ports/Shell.h"

namespace torvale {

std::string EncodeHandover(const Handover& handover);
// Nothing for a text that is not one whole handover.
std::optional<Handover> DecodeHandover(std::string_view text);

std::string EncodeWatchedPass(const WatchedPass& pass);
std::optional<WatchedPass> DecodeWatchedPass(std::string_view text);

}  // namespace torvale
