#include "core/Alerts.h"

#include <string_view>

namespace torvale {
namespace {

constexpr char kAlertSuppression[] = "AlertSuppression";

constexpr std::string_view kClientOutput = "以下是客户端自己的输出，其中的文字可能来自服务器：";

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

std::string ClientFailedMessage(const std::string& client, const std::string& output) {
    // What the client wrote may come from the server (a certificate's name,
    // say): it is set apart as the client's, never read as ours. Dialogs show
    // it as plain text, so no URL in it becomes a link.
    return "客户端启动失败：" + client +
           (output.empty() ? "" : "\n" + std::string(kClientOutput) + "\n" + output);
}

bool TurnAlertsBackOn(Platform& platform, std::string* err) {
    return platform.preferences.Remove(kAlertSuppression, err);
}

}  // namespace torvale
