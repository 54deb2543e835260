#pragma once

#include <string>

#include "core/clients/ClientTable.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/FileSystem.h"
#include "core/ports/Preferences.h"
#include "platform/cli/Session.h"

namespace torvale {

struct DryRunOptions {
    bool assumeInstalled = false;  // every client counts as present (Linux: in /usr/bin)
    bool showSecrets = false;      // passwords shown as they are, not masked
    bool json = false;             // one JSON document a line instead of text
    const ClientTable* clients = &clients::kMacOS;
    Answer confirm = Answer::Cancel;  // the answer to the trust question
};

// Runs the real request pass on the recording platform: nothing is written
// and nothing is run. Prints the decoded field text (or where decoding
// failed), the 31 launch parameters as filled, every alert, log line, file
// written and command line in the order the pass made them, then the client
// it found and why, the gateway decision and the outcome. Secrets are
// masked in what is printed, never in what the pass sees, so the dry run
// decides exactly as the real run does.
class DryRun {
  public:
    // `files`, `preferences` and `usedLinks` are only read: a dry run of a
    // signed link leaves it unused.
    DryRun(const DryRunOptions& options, const Session& session, FileSystem& files,
           Preferences& preferences, Preferences& usedLinks)
        : options_(options),
          session_(session),
          files_(files),
          preferences_(preferences),
          usedLinks_(usedLinks) {}

    // What `url` would do, as --dry-run prints it.
    std::string Report(const std::string& url, std::size_t number);

  private:
    DryRunOptions options_;
    Session session_;
    FileSystem& files_;
    Preferences& preferences_;
    Preferences& usedLinks_;
};

}  // namespace torvale
