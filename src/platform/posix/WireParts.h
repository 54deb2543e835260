#pragma once

// The one framing of what this program hands its own background tasks on
// their standard input: each part its length in decimal, a line feed, then
// its bytes. Nothing in it is ever parsed by a shell.

#include <optional>
#include <string>
#include <string_view>

namespace torvale {

void PutPart(std::string& out, std::string_view part);
// The next part, taken off `text`; nothing where `text` does not begin with
// one whole part.
std::optional<std::string> TakePart(std::string_view& text);
// The next part as a whole number of at most `largest`; nothing for another part.
std::optional<long long> TakeNumber(std::string_view& text, long long largest);

}  // namespace torvale
