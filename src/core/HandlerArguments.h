#pragma once

// What the program a desktop hands torvale:// links to may be started with.
// Windows builds its command line by putting the link, as the browser gave
// it, in place of %1 in `"...\torvalew.exe" --url "%1"`: a link holding a
// quote ends that argument early, and what follows becomes arguments of its
// own (`torvale://x" --evil "y` arrives as four). So only exactly two are
// taken, "--url" and one launch URL; every other list is refused whole.

#include <span>
#include <string>
#include <string_view>

namespace torvale {

struct HandlerArguments {
    enum class Kind { Url, ShowAlerts, Refused };
    Kind kind = Kind::Refused;
    std::string url;     // for Url
    std::string reason;  // for Refused: why, naming no argument's text
};

// Reads the arguments after the program's name: "--url" and a URL whose
// scheme is torvale (in any case), or "--show-alerts" alone.
HandlerArguments ReadHandlerArguments(std::span<const std::string> arguments);

}  // namespace torvale
