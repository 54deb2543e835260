#pragma once

// The checks that keep a launch parameter from becoming more than a value
// where a launcher puts it: an option, a path, another host.

#include <string_view>

#include "core/clients/ClientTable.h"
#include "core/plan/Plan.h"

namespace torvale {

// True for a value that a client would read as an option: it begins with
// "/" or "-".
bool OptionLike(std::string_view value);

// [A-Za-z][A-Za-z0-9+.-]*: anything else would not be read as a URL's
// scheme, and could make the word an option.
bool IsUrlScheme(std::string_view text);

// Whether a host holds an IPv6 zone ("fe80::1%eth0"), which a URL writes
// "%25" (RFC 6874): a client that decodes the host of the URL it is given
// would read "%31" as "1", another address than the question shows.
bool ZoneInUrl(std::string_view host);

// Whether a drive of an .rdp "drivestoredirect" value (";" between them)
// begins or ends with a blank: FreeRDP trims blanks only at the ends of the
// whole value, so " *" is all drives to it, and a drive the question would
// show otherwise than the client reads it.
bool BlankAroundADrive(std::string_view disk);

// What an .rdp file's "drivestoredirect" (`disk`, ";" between the drives)
// and "redirectclipboard" values share, as its client applies them: the
// clipboard unless it is "0"; the drives named by what they share, each
// once, and each path in the form the file system resolves ("/tmp/./../"
// is "/").
Shares SharesOf(std::string_view disk, std::string_view clipboard, std::string_view home);

// Whether "/" + rdparg, standing where `place` puts it, could be more than
// a harmless switch: `open` takes it as one more path to open, FreeRDP as
// one of its own options.
bool IsUnsafeRdpSwitch(std::string_view rdparg, RdpSwitch place);

}  // namespace torvale
