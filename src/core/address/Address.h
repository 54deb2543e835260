#pragma once

// Hosts and ports as launch URLs write them, for every place that reads one:
// the trust question, the allow-list, the trusted hosts and the launchers.

#include <string>
#include <string_view>

namespace torvale {

// A port as the launchers take it: ASCII digits, or empty for a client's
// own default.
bool IsPort(std::string_view port);

// The host without the brackets of an IPv6 address: "[::1]" gives "::1".
std::string_view Unbracketed(std::string_view host);

// The host as a URL or "host:port" must write it: a bare IPv6 address in
// brackets, or its colons would be read as the port's.
std::string Bracketed(std::string_view host);

// "host:port", "[v6]:port", or the host alone without a port.
std::string WithPort(std::string_view host, std::string_view port);

// The host of a "host:port" address such as an .rdp full address: without
// its ":port" and without the brackets of an IPv6 address
// ("[2001:db8::1]:3389" gives "2001:db8::1"). A bare IPv6 address has no
// port; anything else stays whole, and so matches only an entry that names
// exactly that.
std::string_view HostOfAddress(std::string_view address);

// Hosts compare without case and without the brackets of an IPv6 address;
// an empty host is never the same as any.
bool SameHost(std::string_view a, std::string_view b);

}  // namespace torvale
