// torvale.exe: the headless command of Windows, with the options of the
// Linux torvale that Windows has a use for; alerts and questions as lines
// on standard error.

#include "platform/windows/Win32.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/cli/CommandLine.h"
#include "platform/cli/DoctorCommand.h"
#include "platform/cli/SettingsCommands.h"
#include "platform/cli/StderrPorts.h"
#include "platform/headless/DryRun.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WindowsFacts.h"
#include "platform/windows/WindowsPlatform.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: torvale [OPTION]... [URL]...
Handle torvale:// launch URLs as torvalew.exe, the handler Windows starts,
does: decode each URL, read its launch parameters and start the client it
names. With no URL, read launch URLs from standard input, one per line,
until the end of input. Alerts and questions go to standard error as one
line each.

Options:
  -n, --dry-run         do nothing; print what each URL would do: the decoded
                        field text (or where decoding failed), a warning
                        line for each way the link is surely mis-written, the
                        31 launch parameters, then every alert, question,
                        file and command line in order, with the argv the
                        client would read, and the outcome
      --assume-installed  with --dry-run: treat every client as installed
      --show-secrets    with --dry-run: show passwords instead of ********
      --json            with --dry-run: one JSON document a line per URL
      --confirm=ANSWER  how to answer the question asked before connecting to
                        a host not trusted yet: "no" (the default), "yes", or
                        "always" (connect, and trust the host from now on)
      --forget-gateways forget every host trusted with "always", and exit
      --show-alerts     show alerts again after "don't show again", and exit
      --doctor          check how Torvale is set up here (the torvale://
                        registration, the data folder, configuration.ini, the
                        clients and where they were looked for, the fonts,
                        the pass log), one line per check ("ok", "warn" or
                        "fail", with the fix), and exit: 1 when any fails
  -h, --help            print this help and exit
  -V, --version         print the version and exit
  --                    take every later argument as a URL

The pass log: %LOCALAPPDATA%\Torvale\torvale.log.

Exit status: 0 once every URL was handled, 1 when the user's folders
cannot be found, --doctor finds a check failing or the preferences cannot
be changed, 2 for a usage error.
)";

// The console shows UTF-8 as it is only with its code page set; the code
// page is the console's, shared with the shell that started this program,
// so it is put back as the program ends.
class Utf8Console {
  public:
    Utf8Console() : before_(::GetConsoleOutputCP()) {
        if (before_ != 0) ::SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (before_ != 0) ::SetConsoleOutputCP(before_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT before_;
};

}  // namespace

int wmain(int argc, wchar_t** wargv) {
    const Utf8Console console;
    // UTF-8 copies of the arguments, as the portable reader takes them.
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i)
        texts.push_back(torvale::Narrow(wargv[i]));
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    bool dryRun = false;
    bool dryRunOnly = false;
    bool forget = false;
    bool showAlerts = false;
    bool doctor = false;
    torvale::DryRunOptions options;
    options.clients = &torvale::clients::kWindows;
    const torvale::CommandLine line = torvale::ReadCommandLine(
        "torvale", kHelp, argc, argv.data(),
        [&](std::string_view option) -> std::optional<std::string> {
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
    if ((forget || doctor || showAlerts) &&
        (dryRun || !line.urls.empty() || int(forget) + int(doctor) + int(showAlerts) > 1))
        return torvale::UsageError(
            "torvale", "--forget-gateways, --show-alerts and --doctor go alone, without URLs");

    std::string why;
    const auto session = torvale::StartWindowsSession(&why);
    if (!session) {
        torvale::Print(stderr, "torvale: " + why + "\n");
        return 1;
    }
    torvale::StderrAlertPanel alerts(options.confirm);
    torvale::WindowsPlatform ports(*session, alerts, stderr);
    if (dryRun) {
        torvale::DryRunPlace place;
        place.home = session->places.profile;
        place.searchPath = session->searchPath;
        place.prepare = [&](torvale::Application& app) { PlaceApplication(app, *session); };
        torvale::DryRun report(options, std::move(place), ports.files, ports.preferences,
                               ports.usedLinks);
        torvale::ForEachUrl(line.urls, [&](const std::string& url, std::size_t number) {
            torvale::Print(stdout, report.Report(url, number));
        });
        return 0;
    }
    torvale::Application app = ports.App();
    if (doctor) {
        app.Locate(session->places.profile, session->searchPath);
        torvale::WindowsFacts facts(*session);
        return torvale::Doctor(app, facts);
    }
    // The log line says why when the preferences cannot be changed.
    if (showAlerts) return torvale::ShowAlertsAgain(app);
    if (forget) return torvale::ForgetGateways(app);
    app.applicationWillFinishLaunching(session->places.profile, session->searchPath);
    torvale::ForEachUrl(line.urls,
                        [&](const std::string& url, std::size_t) { app.handleURLEvent(url); });
    return 0;
}
