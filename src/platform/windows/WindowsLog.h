#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/ports/Log.h"

namespace torvale {

// The log on Windows. A line goes to standard error where the program has
// one (torvale.exe in a console, or redirected) and to the debugger's
// output (OutputDebugStringW: a debugger or DebugView shows it), each byte
// that could act on a terminal escaped. A pass line is appended to the pass
// log, %LOCALAPPDATA%\Torvale\torvale.log, private to the user, with one
// write each, so that the lines of passes running at once do not mix; a
// log that would grow past kPassLogBytes is first moved aside to
// torvale.log.1.
class WindowsLog final : public Log {
  public:
    static constexpr std::size_t kPassLogBytes = 64 * 1024;

    explicit WindowsLog(std::string passLog) : passLog_(std::move(passLog)) {}
    void Write(const std::string& line) override;
    void Pass(const std::string& line) override;

    // The line appended, the folder made (private) where it is missing;
    // false, saying why, where it cannot be.
    bool Append(const std::string& line, std::string* err);
    // The last `count` pass lines, oldest first; none where the log cannot
    // be read.
    std::vector<std::string> LastPasses(std::size_t count);

  private:
    std::string passLog_;
};

}  // namespace torvale
