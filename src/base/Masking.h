#pragma once

#include <string_view>

namespace torvale {

// What stands in for a password wherever one would be shown: written where
// the secret stands (its field, its piece of a command line, its place in a
// file), never found by searching other text for it.
inline constexpr std::string_view kMask = "********";

}  // namespace torvale
