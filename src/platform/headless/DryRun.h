#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/Application.h"
#include "core/clients/ClientTable.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/FileSystem.h"
#include "core/ports/Preferences.h"

namespace torvale {

struct DryRunOptions {
    bool assumeInstalled = false;  // every client counts as present (Linux: in /usr/bin)
    bool showSecrets = false;      // passwords shown as they are, not masked
    bool json = false;             // one JSON document a line instead of text
    const ClientTable* clients = &clients::kMacOS;
    Answer confirm = Answer::Cancel;  // the answer to the trust question
};

// Whether `option` is one of the dry run's own, --assume-installed,
// --show-secrets or --json; set in `options` where it is.
bool ReadDryRunOption(std::string_view option, DryRunOptions* options);

// Where the real run would run, as its front end found it: the same on every
// system, so that torvale and torvale.exe print their dry runs alike.
struct DryRunPlace {
    std::string home;                 // the user's home (profile) folder
    std::string searchPath;           // PATH
    std::string askpassHelper;        // the program ssh's askpass helper is
    std::string temporaryDir;         // the user's own temporary folder, or empty
    std::string systemConfiguration;  // an administrator's configuration.ini, or empty
    // What the front end sets on its application before start-up, after
    // the above (Windows: every folder, and the registry's program lookup).
    std::function<void(Application&)> prepare;
    // What a program says of its version: the real ssh's release decides
    // whether its password can be handed over. Unset: nothing.
    std::function<std::optional<std::string>(const std::string& program)> versionOf;
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
    DryRun(const DryRunOptions& options, DryRunPlace place, FileSystem& files,
           Preferences& preferences, Preferences& usedLinks)
        : options_(options),
          place_(std::move(place)),
          files_(files),
          preferences_(preferences),
          usedLinks_(usedLinks) {}

    // What `url` would do, as --dry-run prints it.
    std::string Report(const std::string& url, std::size_t number);

  private:
    DryRunOptions options_;
    DryRunPlace place_;
    FileSystem& files_;
    Preferences& preferences_;
    Preferences& usedLinks_;
};

}  // namespace torvale
