#pragma once

// Text at the edge of the Windows API: UTF-8 inside, UTF-16 for the W
// functions, and the system's words for an error code.

#include <windows.h>

#include <string>
#include <string_view>

namespace torvale {

// `text`, UTF-8, as UTF-16; false for text that is not UTF-8.
bool ToWide(std::string_view text, std::wstring* wide, std::string* err);
// `text` as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
// What the system says of an error code (GetLastError's), without the line
// end it writes, and the code: "The system cannot find the file specified.
// (error 2)".
std::string SystemMessage(DWORD code);

}  // namespace torvale
