#pragma once

#include <ostream>
#include <string>

#include "app/clients/ClientTable.h"
#include "platform/FileSystem.h"
#include "platform/IniParser.h"
#include "platform/Preferences.h"

namespace torvale {

struct DryRunOptions {
    bool assumeInstalled = false;  // every client application counts as present
    bool showSecrets = false;      // passwords shown as they are, not masked
    bool json = false;             // one JSON document a line instead of text
    const ClientTable* clients = &clients::kMacOS;
};

// Runs the real request pass on recording seams: nothing is written and
// nothing is run. Prints the decoded field text (or where decoding failed),
// the 31 launch parameters as filled, every alert, log line, file written and
// command line in the order the pass would make them, then the client it
// found and why, the gateway decision and the outcome.
class DryRun {
  public:
    // `preferences` is only read; `files` only answers reads and presence checks.
    DryRun(const DryRunOptions& options, std::string home, std::string searchPath,
           Preferences& preferences, FileSystem& files, IniParser& ini)
        : options_(options),
          home_(std::move(home)),
          searchPath_(std::move(searchPath)),
          preferences_(preferences),
          files_(files),
          ini_(ini) {}

    void Report(const std::string& url, std::size_t number, std::ostream& out);

  private:
    DryRunOptions options_;
    std::string home_;
    std::string searchPath_;
    Preferences& preferences_;
    FileSystem& files_;
    IniParser& ini_;
};

// The field text with the value of every "password" and "monitorpassword"
// field replaced by "********" (followed by a NUL when the value held one,
// which keeps a command line that holds it from running, as it would not).
std::string MaskSecrets(std::string_view fieldText);

}  // namespace torvale
