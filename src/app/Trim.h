#pragma once

#include <string_view>

namespace torvale {

// The text without the blanks and tabs around it, nor a closing carriage
// return: how a line of a file edited by hand is read.
inline std::string_view Trim(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

}  // namespace torvale
