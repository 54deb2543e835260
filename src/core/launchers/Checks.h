#pragma once

// The checks that keep a launch parameter from becoming more than a value
// where a launcher puts it: an option, a path, another host.

#include <string_view>

#include "core/clients/ClientTable.h"

namespace torvale {

// True for a value that a client would read as an option: it begins with
// "/" or "-".
bool OptionLike(std::string_view value);

// [A-Za-z][A-Za-z0-9+.-]*: anything else would not be read as a URL's
// scheme, and could make the word an option.
bool IsUrlScheme(std::string_view text);

// Whether a drive of an .rdp "drivestoredirect" value (";" between them)
// begins or ends with a blank: FreeRDP trims blanks only at the ends of the
// whole value, so " *" is all drives to it, and a drive the question would
// show otherwise than the client reads it.
bool BlankAroundADrive(std::string_view disk);

// Whether "/" + rdparg, standing where `place` puts it, could be more than
// a harmless switch: `open` takes it as one more path to open, FreeRDP as
// one of its own options.
bool IsUnsafeRdpSwitch(std::string_view rdparg, RdpSwitch place);

}  // namespace torvale
