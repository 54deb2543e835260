#include "core/Alerts.h"

#include <algorithm>
#include <string_view>

#include "base/Printable.h"
#include "core/address/Address.h"

namespace torvale {
namespace {

constexpr char kAlertSuppression[] = "AlertSuppression";

constexpr std::string_view kClientOutput = "以下是客户端自己的输出，其中的文字可能来自服务器：";

// What FreeRDP 2 and 3 log, "NAME [0x0002000D]", when the connection was
// never made: the name has no address, nothing answers at the port, or the
// connection closed before the session began.
constexpr std::string_view kNotReached[] = {
    "ERRCONNECT_DNS_ERROR [", "ERRCONNECT_DNS_NAME_NOT_FOUND [", "ERRCONNECT_CONNECT_FAILED [",
    "ERRCONNECT_CONNECT_TRANSPORT_FAILED ["};

// The address FreeRDP connects to, with the port it takes where the file
// names none.
std::string WithRdpPort(const std::string& address) {
    const auto split = SplitAddress(address);
    if (!split) return address;
    return WithPort(split->host, split->port.empty() ? "3389" : split->port);
}

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

std::string ClientFailedMessage(const std::string& client, const std::string& output,
                                const std::string& rdpAddress) {
    std::string message = "客户端启动失败：" + client;
    // Said plainly above FreeRDP's own words. The address is the launch's,
    // never one FreeRDP wrote: a server that writes such a code itself (in a
    // certificate's name) can at most have this sentence name it.
    const auto said = [&](std::string_view code) { return output.find(code) != output.npos; };
    if (!rdpAddress.empty() && std::any_of(std::begin(kNotReached), std::end(kNotReached), said))
        message += "\n无法连接到 " + Printable(WithRdpPort(rdpAddress)) + "。";
    // What the client wrote may come from the server (a certificate's name,
    // say): it is set apart as the client's, never read as ours. Dialogs show
    // it as plain text, so no URL in it becomes a link.
    if (!output.empty()) message += "\n" + std::string(kClientOutput) + "\n" + output;
    return message;
}

bool TurnAlertsBackOn(Platform& platform, std::string* err) {
    return platform.preferences.Remove(kAlertSuppression, err);
}

}  // namespace torvale
