// The `torvale` command: the request pass of the macOS application, run on
// launch URLs given as arguments or read from standard input.

#include <string>
#include <string_view>
#include <vector>

#include "core/Application.h"
#include "platform/cli/CommandLine.h"
#include "platform/cli/DoctorCommand.h"
#include "platform/cli/Session.h"
#include "platform/cli/SettingsCommands.h"
#include "platform/cli/XdgFacts.h"
#include "platform/headless/DryRun.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: torvale [OPTION]... [URL]...
Handle torvale:// launch URLs as the Torvale application does: decode each URL,
read its launch parameters and start the client it names with one command line
through /bin/sh. With no URL, read launch URLs from standard input, one per
line, until the end of input.

Options:
  -n, --dry-run         do nothing; print what each URL would do: the decoded
                        field text (or where decoding failed), a warning
                        line for each way the link is surely mis-written, the
                        31 launch parameters, then every alert, question,
                        file and command line in order, with the argv the
                        shell would hand over, and the outcome
      --assume-installed  with --dry-run: treat every client as installed (with
                        --clients=linux: what packages put in /usr/bin,
                        SecureCRT aside, as a Linux desktop has it)
      --show-secrets    with --dry-run: show passwords instead of ********
      --json            with --dry-run: one JSON document a line per URL
      --clients=TABLE   with --dry-run or --doctor: the client table to use,
                        "macos" (the default), "linux" (that of
                        torvale-desktop) or "windows" (Windows paths as
                        %USERPROFILE%, %TEMP% and %ProgramFiles% name them)
      --confirm=ANSWER  how to answer the question asked before connecting to
                        a host not trusted yet: "no" (the default: nothing is
                        written or run), "yes", or "always" (connect, and
                        trust the host from now on)
      --forget-gateways forget every host trusted with "always", and exit
      --show-alerts     show alerts again after "don't show again", and exit
      --serve-askpass   serve one password, read from standard input, to
                        ssh's askpass helper (this program, when
                        TORVALE_ASKPASS names the socket): started by a
                        launch that opens ssh in a terminal
      --remove-once-read  remove the connection file named on standard
                        input once a client has read it, or a minute on:
                        started by a launch that writes a password there
      --doctor          check how Torvale is set up here (the torvale://
                        handler, the data directory, configuration.ini, the
                        clients, fonts, display), one line per check ("ok",
                        "warn" or "fail", with the fix), and exit: 1 when any
                        check fails
  -h, --help            print this help and exit
  -V, --version         print the version and exit
  --                    take every later argument as a URL

Alerts and questions go to standard error as one line each, "title:
message", and log lines as they are; in all of them "\" is written "\\",
line feeds "\n", tabs "\t", carriage returns "\r", other control characters
"\xNN" and characters that hide, reorder or break text "\uXXXX" (or
"\UXXXXXXXX"). Alerts never wait for an answer here.

Trust: unless configuration.ini lists the allowed hosts, a launch that
connects to a host the user has not trusted asks first, naming the host,
the client, the login name and, for remote desktops, the drives and the
clipboard it shares. A link the gateway signed with a key under [signing]
launches without asking, once; one whose signature fails never launches.

Files:
  $HOME/Documents/torvale/
      the user data directory: configuration.ini and the .rdp connection files
  $HOME/Documents/torvale/configuration.ini
      [clients] paths of client applications, [gateways] allow = the only
      hosts launches may connect to (then nothing is asked), [signing] the
      gateway's keys for signed links (docs/signed-links.md); read for every URL
  /etc/torvale/configuration.ini
      an administrator's: its allow-list and [signing] hold over the user's;
      one not root's, or that others could write (it or a folder on its
      way), refuses every launch that connects until it is mended
  ${XDG_CONFIG_HOME:-$HOME/.config}/torvale/torvale.conf
      "AlertSuppression=true" replaces every alert with the log line
      "Alert suppressed"; "TrustedGateways=HOST[,clipboard][,drives]"
      lines, the trusted hosts and what they may be shared

Clients are looked for under /Applications (or where configuration.ini
says) and started with the `open` command found on PATH. With "SSH =
openssh" under [clients], SSH links open ssh in Terminal.app through a
.command script that holds no password; an entrusted password reaches ssh
through its askpass helper, served once by --serve-askpass.

Portal developers: /usr/share/doc/torvale/launch-urls.md (docs/ in the
source) is the reference of every launch parameter, with examples;
signed-links.md beside it says how a gateway signs its links.

Exit status: 0 once every URL was handled, 1 when HOME is not an absolute
path to an existing directory, --doctor finds a check failing or
--forget-gateways cannot change the preferences file, 2 for a usage error.
)";

}  // namespace

int main(int argc, char** argv) {
    // ssh's askpass helper, and the server of a password for it.
    if (const auto status = torvale::RunBackgroundMode(argc, argv)) return *status;
    bool dryRun = false;
    bool dryRunOnly = false;
    bool forget = false;
    bool showAlerts = false;
    bool doctor = false;
    bool clientsGiven = false;
    // The dry run's options; the answer and the client table also serve the
    // real run and --doctor.
    torvale::DryRunOptions options;
    const torvale::CommandLine line = torvale::ReadCommandLine(
        "torvale", kHelp, argc, argv, [&](std::string_view option) -> std::optional<std::string> {
            std::string problem;
            if (option == "-n" || option == "--dry-run") {
                dryRun = true;
            } else if (torvale::ReadDryRunOption(option, &options)) {
                dryRunOnly = true;
            } else if (option == "--forget-gateways") {
                forget = true;
            } else if (option == "--show-alerts") {
                showAlerts = true;
            } else if (option == "--doctor") {
                doctor = true;
            } else if (const auto table = torvale::OptionValue(
                           option, "--clients", {"macos", "linux", "windows"}, &problem)) {
                constexpr const torvale::ClientTable* kTables[] = {&torvale::clients::kMacOS,
                                                                   &torvale::clients::kLinux,
                                                                   &torvale::clients::kWindows};
                options.clients = kTables[*table];
                clientsGiven = true;
            } else if (const auto answer = torvale::ConfirmOption(option, &problem)) {
                options.confirm = *answer;
            } else if (problem.empty()) {
                return std::nullopt;
            }
            return problem;
        });
    if (line.exitStatus) return *line.exitStatus;
    if (dryRunOnly && !dryRun) {
        return torvale::UsageError(
            "torvale", "--assume-installed, --show-secrets and --json go with --dry-run");
    }
    if (clientsGiven && !dryRun && !doctor)
        return torvale::UsageError("torvale", "--clients goes with --dry-run or --doctor");
    if ((forget || doctor || showAlerts) &&
        (dryRun || !line.urls.empty() || int(forget) + int(doctor) + int(showAlerts) > 1))
        return torvale::UsageError(
            "torvale", "--forget-gateways, --show-alerts and --doctor go alone, without URLs");
    auto session = torvale::StartSession("torvale");
    if (!session) return 1;
    // A preview of Windows: its folders named as Windows does before it
    // expands them, none of this machine's.
    if (options.clients == &torvale::clients::kWindows) {
        session->home = "%USERPROFILE%";
        session->temporaryDir = "%TEMP%";
    }

    torvale::StderrAlertPanel alerts(options.confirm);
    torvale::CommandLinePlatform ports(*session, alerts, torvale::PosixShell::Mode::Wait);
    if (dryRun) {
        torvale::DryRunPlace place{
            session->home,
            session->searchPath,
            session->program,
            session->temporaryDir,
            torvale::kSystemConfiguration,
            {},
            [](const std::string& ssh) { return torvale::PosixShell().VersionOf(ssh, nullptr); }};
        torvale::DryRun report(options, std::move(place), ports.files, ports.preferences,
                               ports.usedLinks);
        torvale::ForEachUrl(line.urls, [&](const std::string& url, std::size_t number) {
            torvale::Print(stdout, report.Report(url, number));
        });
        return 0;
    }
    torvale::Application app = ports.App(*options.clients);
    if (doctor) {
        auto facts = torvale::LocateForDoctor(app, *session, "torvale-desktop");
        return torvale::Doctor(app, facts);
    }
    // The log line says why when the preferences cannot be changed.
    if (showAlerts) return torvale::ShowAlertsAgain(app);
    if (forget) return torvale::ForgetGateways(app);
    app.applicationWillFinishLaunching(session->home, session->searchPath);
    torvale::ForEachUrl(line.urls,
                        [&](const std::string& url, std::size_t) { app.handleURLEvent(url); });
    return 0;
}
