#pragma once

// STAND-IN: until the portable INI reader is built, configuration.ini can
// hold nothing but blanks; any other text is refused (an alert says so),
// never read wrongly.

#include <algorithm>
#include <string>

#include "core/ports/IniReader.h"

namespace torvale {

class StandInIniReader final : public IniReader {
  public:
    bool Parse(std::string_view text, const std::function<std::string(const IniEntry&)>&,
               int* errorLine, std::string* err) override {
        const std::size_t at = text.find_first_not_of(" \t\r\n");
        if (at == std::string_view::npos) return true;
        if (errorLine != nullptr)
            *errorLine =
                1 + static_cast<int>(std::count(
                        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        if (err != nullptr)
            *err = "this build of Torvale for Windows reads no configuration.ini yet";
        return false;
    }
};

}  // namespace torvale
