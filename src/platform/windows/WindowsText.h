#pragma once

// UTF-8, as the core speaks it, and UTF-16, as the W functions of Win32
// take it: converted at the edge of each call, nowhere else.

#include <windows.h>

#include <string>
#include <string_view>

namespace torvale {

// Ill-formed UTF-8 becomes U+FFFD; the core hands over well-formed text.
std::wstring Wide(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view text);
// What Windows says of an error (GetLastError's), in one line, with its number.
std::string ErrorText(DWORD error);

}  // namespace torvale
