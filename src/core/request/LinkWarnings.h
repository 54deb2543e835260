#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvale {

// What in a launch URL is surely not what its portal meant, for portal
// developers (the dry run prints it); the pass itself takes the URL as it is.
// A text that does not begin with "torvale://"; a field before the first
// "&", or one without its closing "&", neither of which is read; a value
// that holds what a
// browser blocks or rewrites before the handler sees it (a raw non-ASCII
// character, space, ":" or "@"), by its key; a key given more than once,
// whose first value is the one read; a key that is none of the launch
// parameters nor a signing field (or one in another case), with the one it
// may mean; an encoded
// "&" that ends a value, with the text lost.
std::vector<std::string> LinkWarnings(std::string_view urlText);

// Of a field text, as written or decoded: the warning that a field stands
// before its first "&", where it is never read; empty when none does.
std::string UnreadHeadWarning(std::string_view fieldText);

}  // namespace torvale
