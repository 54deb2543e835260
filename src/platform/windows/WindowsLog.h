#pragma once

#include <cstdio>
#include <string>

#include "core/ports/Log.h"

namespace torvale {

// The log of the Windows programs: each line Printable, on standard error
// for torvale.exe, to the debugger (OutputDebugString, as DebugView shows
// it) for torvalew.exe, which has no console; pass lines also go to the pass
// log, %LOCALAPPDATA%\Torvale\torvale.log, as on Linux: one line each, at
// most kPassLogLimit bytes, the older lines in torvale.log.1 beside it.
class WindowsLog final : public Log {
  public:
    // `stream`: null for the debugger.
    WindowsLog(std::string passLog, std::FILE* stream)
        : passLog_(std::move(passLog)), stream_(stream) {}
    void Write(const std::string& line) override;
    void Pass(const std::string& line) override;

  private:
    std::string passLog_;
    std::FILE* stream_;
};

}  // namespace torvale
