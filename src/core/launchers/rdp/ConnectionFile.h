#pragma once

#include <string>
#include <string_view>

namespace torvale {

// A launch parameter's value as it may stand in an .rdp file: without line
// ends of any kind (CR, LF, VT, FF, NEL, U+2028, U+2029), NUL or any other
// C0 control but TAB, so that no value can start a setting line of its own.
std::string OneLine(std::string_view value);

// The host of an .rdp full address: without its ":port", and without the
// brackets of an IPv6 address ("[2001:db8::1]:3389" gives "2001:db8::1").
std::string_view HostOfAddress(std::string_view address);

}  // namespace torvale
