#pragma once

// The ports of a front end without a window, on standard error: the alert
// panel and the log.

#include <cstdio>
#include <string>
#include <string_view>

#include "core/ports/AlertPanel.h"
#include "core/ports/Log.h"

namespace torvale {

// The headless alert: one line on a stream, "title: message", both written
// Printable, so that one alert is always one line for whoever reads the
// stream and no value can forge another or act on the terminal. It never
// blocks and its checkbox is never ticked. A question is written the same
// way and answered as the panel was told to (torvale --confirm).
class StderrAlertPanel final : public AlertPanel {
  public:
    explicit StderrAlertPanel(Answer answer = Answer::Cancel, std::FILE* stream = stderr)
        : answer_(answer), stream_(stream) {}
    bool Run(const std::string& title, const std::string& message) override;
    Answer Ask(const Question& question) override;

  private:
    Answer answer_;
    std::FILE* stream_;
};

// The headless system log: each line Printable, on a stream, which on a
// desktop is the browser's and seen by nobody; so pass lines go to a small
// file as well (see PassLog.h).
class StderrLog final : public Log {
  public:
    explicit StderrLog(std::string passLog = {}, std::FILE* stream = stderr)
        : passLog_(std::move(passLog)), stream_(stream) {}
    void Write(const std::string& line) override;
    void Pass(const std::string& line) override;

  private:
    std::string passLog_;
    std::FILE* stream_;
};

}  // namespace torvale
