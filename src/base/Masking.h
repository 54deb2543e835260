#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// What stands in for a password wherever one would be shown.
inline constexpr std::string_view kMask = "********";

// `text` with every occurrence of each secret replaced by kMask: each secret
// found left to right without overlapping itself, and where the places of
// two secrets overlap, the whole stretch masked once. Empty secrets mask
// nothing. Linear in the text and the secrets: both may be as long as a
// launch URL.
std::string Masked(std::string_view text, const std::vector<std::string>& secrets);

}  // namespace torvale
