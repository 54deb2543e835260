#pragma once

#include <string>

namespace torvale {

// The system log: one line at a time, no title, no level. Pass lines, one
// for each launch URL handled, are also kept where the user can look later
// ("I clicked and nothing happened"); they hold no secret.
class Log {
  public:
    virtual ~Log() = default;
    virtual void Write(const std::string& line) = 0;
    virtual void Pass(const std::string& line) = 0;
};

}  // namespace torvale
