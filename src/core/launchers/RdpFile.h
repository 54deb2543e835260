#pragma once

// The text of the .rdp connection files: the desktop variant ("activex.rdp")
// and the published-application variant ("activex_autorun.rdp").

#include <string>
#include <string_view>

#include "core/request/Request.h"

namespace torvale {

// A launch parameter's value as it may stand in an .rdp file: without line
// ends of any kind (CR, LF, VT, FF, NEL, U+2028, U+2029), NUL or any other
// C0 control but TAB, so that no value can start a setting line of its own.
std::string OneLine(std::string_view value);

// The files as written, or masked: the password's value written kMask where
// it stands, for showing.
std::string MstscFileText(const Request& request, bool masked = false);
std::string MstscAutoRunFileText(const Request& request, bool masked = false);

}  // namespace torvale
