#pragma once

#include <string>
#include <string_view>

namespace torvale {

// Makes an untrusted value safe to insert into a /bin/sh command line.
//
// A value made only of `A-Z a-z 0-9 _ @ % + = : , . / -` and bytes 0x80 and
// above, and not starting with "=", goes in unchanged, and so does the empty
// string: such values mean the same to dash, bash (also as sh) and zsh, so the
// lines for ordinary values stay exactly as the clients have always seen them.
// Any other value is single-quoted, each "'" written as '\''. Either way the
// result stays one shell word with the literal text around it.
std::string ShellQuote(std::string_view value);

// Escapes a value for a place inside double quotes: a backslash before each
// `\`, `"`, `$` and backquote, and nothing else (a backslash before `!` or a
// line feed would stay in the value).
std::string DoubleQuoteEscape(std::string_view value);

}  // namespace torvale
