#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace torvale {

// Why and where a launch URL could not be decoded: a byte offset into the
// whole launch URL text. It takes the place of `err`: the offset is shown
// apart from the reason (the dry run, its JSON, the pass log).
struct DecodeFailure {
    std::size_t offset;
    std::string_view reason;
};

// The field text of a launch URL: the text after its 10-UTF-16-unit head,
// "+" made a space, then percent escapes decoded as UTF-8. Fails on text that
// is not UTF-8, a head that ends inside a character, a "%" without two hex
// digits, or escaped bytes that do not form UTF-8 with the text around them:
// nothing then, and `failure` (where not null) says why and where.
std::optional<std::string> DecodeLaunchUrl(std::string_view urlText, DecodeFailure* failure);

// The decoding step alone, on text without a head.
std::optional<std::string> DecodeFieldText(std::string_view text, DecodeFailure* failure);

}  // namespace torvale
