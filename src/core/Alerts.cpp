#include "core/Alerts.h"

namespace torvale {
namespace {

const std::string kAlertSuppression = "AlertSuppression";

}  // namespace

void Alert(Platform& platform, const std::string& title, const std::string& message) {
    // Read afresh every time: a tick on the previous alert of this same pass
    // already silences this one.
    if (AlertsSuppressed(platform)) {
        platform.log.Write("Alert suppressed");
        return;
    }
    std::string why;
    if (platform.alerts.Run(title, message) &&
        !platform.preferences.SetBool(kAlertSuppression, true, &why)) {
        platform.log.Write("\"Don't show again\" not kept: " + why);
    }
}

bool AlertsSuppressed(Platform& platform) {
    return platform.preferences.GetBool(kAlertSuppression);
}

bool TurnAlertsBackOn(Platform& platform, std::string* err) {
    return platform.preferences.Remove(kAlertSuppression, err);
}

}  // namespace torvale
