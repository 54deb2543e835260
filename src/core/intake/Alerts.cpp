// Every alert of the application, and the "don't show again" setting behind them.

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"

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

void AppDelegate::ShowDebug(const std::string& text) {
    if (m_debug == "1") Alert(titles::kDebug, text);
}

}  // namespace torvale
