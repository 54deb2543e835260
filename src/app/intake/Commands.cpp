// What every launcher rests on: alerts, the presence check of a client
// application, and running one command line.

#include "app/AlertTitles.h"
#include "app/AppDelegate.h"

namespace torvale {
namespace {

const std::string kAlertSuppression = "AlertSuppression";

}  // namespace

void AppDelegate::Alert(const std::string& title, const std::string& message) {
    // Read afresh every time: a tick on the previous alert of this same pass
    // already silences this one.
    if (AlertsSuppressed()) {
        platform_.log.Write("Alert suppressed");
        return;
    }
    if (platform_.alerts.Run(title, message)) {
        platform_.preferences.SetBool(kAlertSuppression, true);
    }
}

bool AppDelegate::AlertsSuppressed() {
    return platform_.preferences.GetBool(kAlertSuppression);
}

void AppDelegate::TurnAlertsBackOn() {
    platform_.preferences.Remove(kAlertSuppression);
}

bool AppDelegate::appInstalled(std::string_view path) {
    return platform_.files.Exists(std::string(path));
}

void AppDelegate::runcmd(const std::string& line) {
    // The shell would only ever see the line up to its first NUL byte, which
    // is another command than the one that was built.
    if (line.find('\0') != std::string::npos) {
        platform_.log.Write("Command not run: the command line holds a NUL byte");
        record_.outcome = Outcome::NotRun;
        return;
    }
    const std::string failure = platform_.shell.Run(line);
    if (!failure.empty()) {
        platform_.log.Write("Command not run: " + failure);
        record_.outcome = Outcome::NotRun;
    } else if (record_.outcome != Outcome::WriteFailed) {
        record_.outcome = Outcome::Launched;
    }
}

void AppDelegate::ShowDebug(const std::string& text) {
    if (m_debug == "1") Alert(titles::kDebug, text);
}

void AppDelegate::DebugAndRun(const std::string& line) {
    ShowDebug(line);
    runcmd(line);
}

void AppDelegate::WriteConnectionFile(const std::string& path, const std::string& text,
                                      const std::string& failure) {
    // Connection files carry the user's password.
    if (platform_.files.WriteFile(path, text, 0600)) return;
    record_.outcome = Outcome::WriteFailed;
    record_.detail = path;
    Alert(titles::kSorry, failure);
}

}  // namespace torvale
