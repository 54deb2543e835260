#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace torvale::utf8 {

// The byte offset of the first byte that does not belong to well-formed UTF-8
// (overlong forms, surrogates and code points above U+10FFFF are ill-formed),
// or nothing when the whole text is well-formed.
std::optional<std::size_t> FirstInvalidByte(std::string_view text);

// The length of the well-formed sequence that starts at `text[i]`, or 0 when
// none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t i);

// The byte offset after the first `units` UTF-16 code units of well-formed
// UTF-8 text, or nothing when that point falls inside a character (half a
// surrogate pair). A text with fewer units yields its whole length.
std::optional<std::size_t> OffsetAfterUtf16Units(std::string_view text, std::size_t units);

}  // namespace torvale::utf8
