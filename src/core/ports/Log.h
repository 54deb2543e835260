#pragma once

#include <string>

namespace torvale {

// The system log: one line at a time, no title, no level.
class Log {
  public:
    virtual ~Log() = default;
    virtual void Write(const std::string& line) = 0;
};

}  // namespace torvale
