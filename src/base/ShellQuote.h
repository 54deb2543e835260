#pragma once

#include <string>
#include <string_view>

namespace torvale {

// Writing untrusted values into a /bin/sh command line.
//
// No backslash escape is ever written: macOS's /bin/sh is bash, and under a
// GBK, Big5, GB18030 or Shift-JIS locale bash reads a UTF-8 byte followed by
// a backslash as one character, so an escape would vanish and its quote
// close early. Single quotes are safe there: no such encoding has "'" as the
// second byte of a character. GB18030 has one more trap: after a byte of
// 0x81 and above and an ASCII digit, bash takes the next byte, whatever it
// is (a quote, a blank), as part of one four-byte character. So no such
// byte is ever written right before a digit: a quote closed and reopened
// ('' or "") stands between them.

// A value as a piece of a word. A value made only of `A-Z a-z 0-9 _ @ % + = :
// , . / -` and bytes 0x80 and above, not starting with "=", goes in
// unchanged, and so does the empty string: such values mean the same to dash,
// bash (also as sh) and zsh, so the lines for ordinary values stay exactly as
// the clients have always seen them, unless a byte 0x80 or above stands
// before a digit. Any other value is single-quoted, each "'" written
// '"'"'. Either way it stays in one word with the text around it.
std::string ShellQuote(std::string_view value);

// How value[begin, end) stands inside ShellQuote(value): what a reader of
// the line finds of that part, without the quotes around the whole.
std::string ShellQuotedPart(std::string_view value, std::size_t begin, std::size_t end);

// Text for a double-quoted place of a fixed format: "text", with every run of
// `"`, `\`, `$` and backquote moved out of the double quotes into single
// quotes ("a"'"'"b" for a"b). Empty double-quoted pieces are left out, so the
// result is "" only for the empty text.
std::string DoubleQuoted(std::string_view text);

// A program's path as the first word of a line: the directory as ShellQuote
// writes it, then "/", then the name, double-quoted when it needs quoting:
// /Applications/"Microsoft Remote Desktop.app".
std::string ProgramWord(std::string_view path);

}  // namespace torvale
