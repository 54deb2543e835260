#include "core/config/Trust.h"

#include "base/Printable.h"

namespace torvale {
namespace {

// Each value of the question is cut short enough that a long one cannot push
// the lines after it out of the dialog.
constexpr std::size_t kValueLimit = 200;

// The drives of an .rdp "drivestoredirect" value, ";" between them.
std::string Drives(std::string_view disk) {
    std::string drives;
    while (!disk.empty()) {
        const std::size_t semicolon = disk.find(';');
        const std::string_view drive = disk.substr(0, semicolon);
        disk =
            semicolon == std::string_view::npos ? std::string_view() : disk.substr(semicolon + 1);
        if (drive.empty()) continue;
        if (!drives.empty()) drives += "；";
        if (drive == "*") {
            drives += "所有驱动器";
        } else if (drive == "%") {
            drives += "主文件夹";
        } else if (drive == "DynamicDrives") {
            drives += "以后插入的驱动器";
        } else {
            drives += Printable(drive, kValueLimit);
        }
    }
    return drives.empty() ? "无" : drives;
}

}  // namespace

std::vector<std::string> TrustedGateways(Preferences& preferences) {
    return preferences.GetList(kTrustedGateways);
}

bool TrustAlways(Preferences& preferences, const std::string& host, std::string* err) {
    std::vector<std::string> trusted = TrustedGateways(preferences);
    trusted.push_back(host);
    return preferences.SetList(kTrustedGateways, trusted, err);
}

bool ForgetGateways(Preferences& preferences, std::string* err) {
    return preferences.Remove(kTrustedGateways, err);
}

Question TrustQuestion(const Destination& destination) {
    std::string message = "此链接要连接到一台您尚未信任的主机。\n";
    // A host is at most 253 bytes: shown whole, its domain cannot be cut away.
    message += "主机：" + Printable(destination.address) + "\n";
    message += "客户端：" + Printable(destination.client, kValueLimit) + "\n";
    message += "登录名：" + Printable(destination.login, kValueLimit) + "\n";
    if (destination.shares) {
        message += "共享的驱动器：" + Drives(destination.shares->disk) + "\n";
        message += std::string("共享剪贴板：") +
                   (destination.shares->clipboard == "0" ? "否" : "是") + "\n";
    }
    message += "只有在您信任这台主机时才连接。";
    return {"确认连接", message, "连接", "取消", "始终信任此网关"};
}

}  // namespace torvale
