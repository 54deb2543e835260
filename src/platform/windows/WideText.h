#pragma once

// The edge between the core's UTF-8 and Windows' UTF-16, and the system's
// words for an error.

#include <string>
#include <string_view>

namespace torvale {

// UTF-16 from UTF-8 and back; nothing (the empty string) where the text is
// not well formed, so that no value is changed into another on the way.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
// Whether Wide(text) is the whole of `text`: empty text, or text that
// converted.
bool Widens(std::string_view text);

// A path as Windows takes it: "/" written "\\". Empty where it is not UTF-8
// or holds a NUL character, which would end it early.
std::wstring WidePath(std::string_view path);

// What the system says of an error code (GetLastError(), a LSTATUS), in its
// own words without the closing line break, and the code: "Access is
// denied. (5)".
std::string SystemMessage(unsigned long code);
// SystemMessage(GetLastError()), into `err` where the caller asked; false.
bool FailWith(std::string* err, unsigned long code);
bool FailLast(std::string* err);

}  // namespace torvale
