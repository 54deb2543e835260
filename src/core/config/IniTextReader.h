#pragma once

#include "core/ports/IniReader.h"

namespace torvale {

// IniReader in standard C++, on every system. It reads the lines inih (the
// reader before it, as Debian built it) read, so files written for that
// still read alike:
//  - a UTF-8 byte-order mark before the first line is skipped; lines end at
//    "\n", and blanks (" \t\r\v\f") around a line are dropped;
//  - a line beginning with ";" or "#" is a comment; a ";" after a blank
//    ends the line's text ("allow = gw ; old: gw2" is "gw");
//  - "[name]": the name between "[" and the first "]", kept as written;
//    nothing but a comment may follow it;
//  - "key = value" or "key : value": split at the first "=" or ":", both
//    sides trimmed; the key is never empty, the value may be.
// Reading stops at the first line at fault, which is also any line longer
// than 198 bytes (inih's) or holding a NUL.
class IniTextReader final : public IniReader {
  public:
    bool Parse(std::string_view text, const std::function<std::string(const IniEntry&)>& onEntry,
               IniError* err) override;
};

}  // namespace torvale
