#pragma once

#include <ostream>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Preferences.h"

namespace torvale {

struct DryRunOptions {
    bool assumeInstalled = false;  // every client application counts as present
    bool showSecrets = false;      // passwords shown as they are, not masked
    bool json = false;             // one JSON document a line instead of text
};

// Runs the real request pass on recording seams: nothing is written and
// nothing is run. Prints the decoded field text (or where decoding failed),
// the 31 launch parameters as filled, and every alert, log line, file
// operation and command line in the order the pass would make them.
class DryRun {
  public:
    // `preferences` is only read; `files` only answers presence checks.
    DryRun(const DryRunOptions& options, std::string home, Preferences& preferences,
           FileSystem& files)
        : options_(options), home_(std::move(home)), preferences_(preferences), files_(files) {}

    void Report(const std::string& url, std::size_t number, std::ostream& out);

  private:
    DryRunOptions options_;
    std::string home_;
    Preferences& preferences_;
    FileSystem& files_;
};

// The field text with the value of every "password" and "monitorpassword"
// field replaced by "********".
std::string MaskSecrets(const std::string& fieldText);

}  // namespace torvale
