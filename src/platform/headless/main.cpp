// The `torvale` command: the request pass of the macOS application, run on
// launch URLs given as arguments or read from standard input.

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/cli/CommandLine.h"
#include "platform/cli/Session.h"
#include "platform/headless/DryRun.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: torvale [OPTION]... [URL]...
Handle torvale:// launch URLs as the Torvale application does: decode each URL,
read its launch parameters and start the client it names with one command line
through /bin/sh. With no URL, read launch URLs from standard input, one per
line, until the end of input.

Options:
  -n, --dry-run         do nothing; print what each URL would do: the decoded
                        field text (or where decoding failed), the 31 launch
                        parameters, then every alert, file and command line
                        in order, with the argv the shell would hand over
      --assume-installed  with --dry-run: treat every client as installed
      --show-secrets    with --dry-run: show passwords instead of ********
      --json            with --dry-run: one JSON document a line per URL
      --clients=TABLE   with --dry-run: the client table to use, "macos" (the
                        default) or "linux" (that of torvale-desktop)
  -h, --help            print this help and exit
  -V, --version         print the version and exit
  --                    take every later argument as a URL

Alerts go to standard error as one line each, "title: message", and log
lines as they are; in both "\" is written "\\", line feeds "\n", tabs "\t",
carriage returns "\r" and other control characters "\xNN". Alerts never wait
for an answer here.

Files:
  $HOME/Documents/torvale/
      the user data directory: configuration.ini and the .rdp connection files
  $HOME/Documents/torvale/configuration.ini
      [clients] paths of client applications, [gateways] allow = the only
      hosts launches may connect to; read for every URL
  ${XDG_CONFIG_HOME:-$HOME/.config}/torvale/torvale.conf
      "AlertSuppression=true" replaces every alert with the log line
      "Alert suppressed"

Clients are looked for under /Applications (or where configuration.ini
says) and started with the `open` command found on PATH.

Exit status: 0 once every URL was handled, 1 when HOME is not an absolute
path to an existing directory, 2 for a usage error.
)";

// Feeds each launch URL to `handle`: the arguments, or else standard input.
template <typename Handle>
void ForEachUrl(const std::vector<std::string>& urls, Handle handle) {
    std::size_t number = 0;
    for (const std::string& url : urls) {
        handle(url, ++number);
    }
    if (!urls.empty()) return;
    // The resident loop of this build: one launch URL a line. A line may come
    // from a file saved on Windows, so a closing carriage return is dropped;
    // lines of blanks alone are skipped.
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) handle(line, ++number);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool dryRun = false;
    torvale::DryRunOptions dryRunOptions;
    bool dryRunOnly = false;
    const torvale::CommandLine line =
        torvale::ReadCommandLine("torvale", kHelp, argc, argv, [&](std::string_view option) {
            if (option == "-n" || option == "--dry-run") {
                dryRun = true;
            } else if (option == "--assume-installed") {
                dryRunOptions.assumeInstalled = dryRunOnly = true;
            } else if (option == "--show-secrets") {
                dryRunOptions.showSecrets = dryRunOnly = true;
            } else if (option == "--json") {
                dryRunOptions.json = dryRunOnly = true;
            } else if (option == "--clients=macos" || option == "--clients=linux") {
                dryRunOptions.clients = option.ends_with("linux") ? &torvale::clients::kLinux
                                                                  : &torvale::clients::kMacOS;
                dryRunOnly = true;
            } else {
                return false;
            }
            return true;
        });
    if (line.exitStatus) return *line.exitStatus;
    if (dryRunOnly && !dryRun) {
        return torvale::UsageError(
            "torvale",
            "--assume-installed, --show-secrets, --json and --clients go with --dry-run");
    }
    const auto session = torvale::StartSession("torvale");
    if (!session) return 1;

    torvale::StderrAlertPanel alerts;
    torvale::CommandLinePlatform seams(*session, alerts, torvale::PosixShell::Mode::Wait);
    if (dryRun) {
        torvale::DryRun report(dryRunOptions, *session, seams.files, seams.preferences);
        ForEachUrl(line.urls, [&](const std::string& url, std::size_t number) {
            report.Report(url, number, std::cout);
        });
        return 0;
    }
    torvale::AppDelegate delegate(seams.Seams());
    delegate.applicationWillFinishLaunching(session->home, session->searchPath);
    ForEachUrl(line.urls,
               [&](const std::string& url, std::size_t) { delegate.handleURLEvent(url); });
    return 0;
}
