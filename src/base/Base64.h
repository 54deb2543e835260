#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvale {

// The bytes a base64 text stands for. The standard alphabet takes "+" and
// "/" and a closing "=" padding, as `base64 -w0` writes it; the URL
// alphabet ("-" and "_") takes no padding, as JWS writes it. Nothing for
// any other character, a padding in the wrong place or a length no
// encoder writes.
std::optional<std::string> DecodeBase64(std::string_view text);
std::optional<std::string> DecodeBase64Url(std::string_view text);

}  // namespace torvale
