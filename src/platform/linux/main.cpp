// torvale-desktop: the torvale:// handler of Linux desktops. The request pass
// of the macOS application with the Linux clients (FileZilla, FreeRDP,
// SecureCRT for Linux), alerts as dialogs, and each client started detached.

#include <string>
#include <string_view>

#include "base/Printable.h"
#include "core/Alerts.h"
#include "core/Application.h"
#include "core/plan/AlertTitles.h"
#include "platform/cli/CommandLine.h"
#include "platform/cli/DoctorCommand.h"
#include "platform/cli/Session.h"
#include "platform/cli/SettingsCommands.h"
#include "platform/cli/XdgFacts.h"
#include "platform/linux/DesktopAlertPanel.h"
#include "platform/linux/DesktopOverview.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: torvale-desktop URL...
  or:  torvale-desktop
Handle torvale:// launch URLs on a Linux desktop: decode each URL, read its
launch parameters and start the client it names (FileZilla, FreeRDP or
Remmina, SecureCRT for Linux) through /bin/sh, detached from this process.
Where SecureCRT is missing, or configuration.ini says "SSH = openssh", SSH
links open ssh in a terminal (the configured one, x-terminal-emulator, or
the first of gnome-terminal, konsole, xfce4-terminal and xterm); a password
the link entrusts reaches ssh through its askpass helper, this program, and
is served once from a copy of it (--serve-askpass), never on a command line.
Each client is started and watched in the background for its first 30
seconds, by a fork of this program (or, once a dialog was shown, by this
program again, --watch-client): one that fails by then is
reported in an alert that ends with what it wrote on standard error (of
FreeRDP that reached no server, said first with the host and port), and
the pass log says how each ended (for one that failed after the first 2
seconds: "client failed: exit status 131 after 4 s"). Where FreeRDP cannot
verify a server's certificate, its question comes as the dialog "确认证书"
with its SHA-256 fingerprint (and the one trusted before, where it changed):
connect, or cancel, the default; with "always trust this certificate"
ticked, FreeRDP keeps it in its own store. Alerts are dialogs with a check
button that silences every later alert, until they are shown again from
the Torvale window or with --show-alerts; without a display (DISPLAY and
WAYLAND_DISPLAY unset, or one that cannot be opened), or where the
dialogs' module cannot be loaded, they go to standard error as one line
each, and of a client that fails late only its pass line tells.

Unless configuration.ini lists the allowed hosts, a launch to a host not
trusted yet first asks whether to connect (Cancel is the default; "always
trust this host" remembers it). Without a display the answer is no.
`torvale --forget-gateways` forgets the trusted hosts.

With no URL, as the applications menu's "Torvale" starts it: the Torvale
window, with whether alerts are shown and a button that shows them again,
what --doctor finds and the last passes. Where no window can be shown:
why, on standard error, then what --doctor prints, with its exit status.

Options:
      --doctor    check how the handler is set up here, one line per check
                  ("ok", "warn" or "fail", with the fix), and exit: 1 when
                  any check fails
      --show-alerts  show alerts again after a tick in an alert's box, and
                  exit
      --serve-askpass  serve one password, read from standard input, to
                  ssh's askpass helper: started by torvale-desktop itself
      --remove-once-read  remove the connection file named on standard
                  input once a client has read it: started likewise
      --watch-client  run the command line named on standard input
                  through /bin/sh and watch it: started likewise
  -h, --help      print this help and exit
  -V, --version   print the version and exit
  --              take every later argument as a URL

Files:
  $HOME/Documents/torvale/configuration.ini
      [clients] paths of client programs ("SSH = openssh": SSH links in a
      terminal), [gateways] the allowed hosts
  ${XDG_CONFIG_HOME:-$HOME/.config}/torvale/torvale.conf
      "AlertSuppression=true" after a tick in an alert's box (the window's
      button, --show-alerts or deleting the line shows alerts again);
      "TrustedGateways=HOST[,clipboard][,drives]" lines, the trusted hosts
      and what they may be shared

Exit status: 0 once every URL was handled or the window was closed, 1 when
HOME is not an absolute path to an existing directory or --doctor (or what
it prints where no window can be shown) finds a check failing, 2 for a
usage error.
)";

// The dialogs of the client watcher: GTK loaded only for one it shows.
torvale::AlertPanel& WatcherAlerts() {
    static torvale::DesktopAlertPanel alerts;
    return alerts;
}

// The watcher of a client that outlived its pass, once it knows how the
// client ended: the pass line, then the alert, if any.
void ReportLateEnd(const torvale::WatchedPass& pass, torvale::Outcome outcome,
                   const std::string& detail, const std::string& alert) {
    const auto session = torvale::StartSession("torvale-desktop");
    if (!session) return;
    torvale::StderrAlertPanel none;
    torvale::CommandLinePlatform ports(*session, alert.empty() ? none : WatcherAlerts(),
                                       torvale::PosixShell::Mode::Detach);
    torvale::Platform platform = ports.platform();
    platform.log.Pass(torvale::WatchedPassLine(pass, outcome, detail));
    if (!alert.empty()) torvale::Alert(platform, torvale::titles::kSorry, alert);
}

}  // namespace

int main(int argc, char** argv) {
    // ssh's askpass helper, the server of a password for it and the watcher
    // of a client: a dialog only for a client that failed late.
    if (const auto status = torvale::RunBackgroundMode(argc, argv)) return *status;
    const torvale::ClientWatcher watcher{ReportLateEnd, [](const torvale::Question& question) {
                                             return WatcherAlerts().Ask(question);
                                         }};
    if (const auto status = torvale::RunClientWatcher(argc, argv, watcher)) return *status;
    bool doctor = false;
    bool showAlerts = false;
    const torvale::CommandLine line =
        torvale::ReadCommandLine("torvale-desktop", kHelp, argc, argv,
                                 [&](std::string_view option) -> std::optional<std::string> {
                                     if (option == "--doctor") {
                                         doctor = true;
                                     } else if (option == "--show-alerts") {
                                         showAlerts = true;
                                     } else {
                                         return std::nullopt;
                                     }
                                     return "";
                                 });
    if (line.exitStatus) return *line.exitStatus;
    if ((doctor || showAlerts) && (!line.urls.empty() || (doctor && showAlerts)))
        return torvale::UsageError("torvale-desktop",
                                   "--doctor and --show-alerts go alone, without URLs");
    const auto session = torvale::StartSession("torvale-desktop");
    if (!session) return 1;
    if (doctor || showAlerts || line.urls.empty()) {
        torvale::StderrAlertPanel alerts;
        torvale::CommandLinePlatform ports(*session, alerts, torvale::PosixShell::Mode::Detach);
        torvale::Application app = ports.App(torvale::clients::kLinux);
        if (showAlerts) return torvale::ShowAlertsAgain(app);
        // No link (the applications menu's entry): the Torvale window; where
        // none can be shown, why, then what --doctor prints.
        auto facts = torvale::LocateForDoctor(app, *session, "torvale-desktop");
        if (!doctor) {
            std::string why;
            if (torvale::ShowOverview(app, facts, &why)) return 0;
            torvale::Print(stderr, "torvale-desktop: no window: " + torvale::Printable(why) +
                                       "; what --doctor finds follows\n");
        }
        return torvale::Doctor(app, facts);
    }

    // Dialogs, GTK loaded for the first; without a display that can be
    // opened alerts go to standard error, as the headless command writes them.
    torvale::DesktopAlertPanel alerts;
    torvale::CommandLinePlatform ports(*session, alerts, torvale::PosixShell::Mode::Detach);
    // A fork of a process that has opened the display could not open it
    // again: the watcher is then this program started anew.
    ports.shell.WatchInFork(watcher, [&alerts] { return !alerts.Tried(); });
    torvale::Application app = ports.App(torvale::clients::kLinux);
    app.applicationWillFinishLaunching(session->home, session->searchPath);
    for (const std::string& url : line.urls)
        app.handleURLEvent(url);
    return 0;
}
