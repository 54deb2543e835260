#pragma once

// Hosts and ports as launch URLs write them, for every place that reads one:
// the trust question, the allow-list, the trusted hosts and the launchers.
// What the user is asked about must be what the client connects to, and
// clients read numbers alike only when they are written one way: so only
// that way is taken, and anything a client could read otherwise is refused.

#include <optional>
#include <string>
#include <string_view>

namespace torvale {

// A port as every client reads it alike: none (the client's own default),
// or 1 to 65535 in decimal without a leading zero ("010" is port 8 to
// FreeRDP, which reads it as octal).
bool IsPort(std::string_view port);

// Whether every client reads `host` as the one host it shows: none at all;
// an IPv6 address, bare or in brackets; four decimal numbers 0 to 255
// without leading zeros; or a name of at most 253 bytes in labels of 1 to 63
// ASCII letters, digits, "-" or "_", none beginning with "-" (an option to
// a client), and at most one closing ".", whose last label is not a number.
// A name ending in a number is an IPv4 address in some other notation to
// the resolver ("2130706433", "0177.0.0.1", "127.1" and "0x7f.1" are all
// 127.0.0.1), and "010" is 8 there. Other scripts, fullwidth dots and
// blanks, combining marks: a resolver or an NSS module may read them as
// another name, and one letter can pass for another in a dialog ("а" and
// "a"); a portal sends an internationalised name in its "xn--" form.
bool IsHost(std::string_view host);

// The address as resolvers read it, in lower case ("exampIe" shows a
// capital i where ssh looks up "exampie"); an IPv6 zone, an interface's
// name, keeps its case.
std::string Lowered(std::string_view address);

// An address such as an .rdp full address, split as clients split it:
// "host", "host:port", "[v6]:port" or a bare IPv6 address (which has no
// port), the host without brackets. Nothing for anything else, such as text
// after the port, which FreeRDP ignores while the question would show it.
struct HostAndPort {
    std::string_view host, port;
};
std::optional<HostAndPort> SplitAddress(std::string_view address);

// The host without the brackets of an IPv6 address: "[::1]" gives "::1".
std::string_view Unbracketed(std::string_view host);

// The host as a URL or "host:port" must write it: a bare IPv6 address in
// brackets, or its colons would be read as the port's.
std::string Bracketed(std::string_view host);

// "host:port", "[v6]:port", or the host alone without a port.
std::string WithPort(std::string_view host, std::string_view port);

// Hosts compare without case and without the brackets of an IPv6 address;
// an empty host is never the same as any.
bool SameHost(std::string_view a, std::string_view b);

}  // namespace torvale
