#include "core/config/Trust.h"

#include <algorithm>

#include "base/Printable.h"
#include "core/address/Address.h"

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

Sharing SharingOf(const Destination& destination) {
    if (!destination.shares) return {};
    return {destination.shares->clipboard != "0", Drives(destination.shares->disk) != "无"};
}

std::vector<std::string> TrustedGateways(Preferences& preferences) {
    return preferences.GetList(kTrustedGateways);
}

std::optional<Sharing> TrustedWith(const std::vector<std::string>& trusted, std::string_view host) {
    std::optional<Sharing> granted;
    for (std::string_view entry : trusted) {
        const std::size_t blank = std::min(entry.find(' '), entry.size());
        if (!SameHost(entry.substr(0, blank), host)) continue;
        const std::string_view words = entry.substr(blank);
        if (!granted) granted = Sharing{};
        granted->clipboard |= words.find(" clipboard") != std::string_view::npos;
        granted->drives |= words.find(" drives") != std::string_view::npos;
    }
    return granted;
}

Trusted HowTrusted(const std::optional<Sharing>& granted, const Destination& destination) {
    if (!granted) return Trusted::No;
    const Sharing need = SharingOf(destination);
    const bool more = (need.clipboard && !granted->clipboard) || (need.drives && !granted->drives);
    return more ? Trusted::WithLess : Trusted::Enough;
}

bool TrustAlways(Preferences& preferences, const Destination& destination, std::string* err) {
    // One entry per host, with the most the user agreed to share with it.
    std::vector<std::string> trusted = TrustedGateways(preferences);
    Sharing sharing = TrustedWith(trusted, destination.host).value_or(Sharing{});
    const Sharing now = SharingOf(destination);
    sharing.clipboard |= now.clipboard;
    sharing.drives |= now.drives;
    std::erase_if(trusted, [&](const std::string& entry) {
        return SameHost(std::string_view(entry).substr(0, std::min(entry.find(' '), entry.size())),
                        destination.host);
    });
    trusted.push_back(destination.host + (sharing.clipboard ? " clipboard" : "") +
                      (sharing.drives ? " drives" : ""));
    return preferences.SetList(kTrustedGateways, trusted, err);
}

bool ForgetGateways(Preferences& preferences, std::string* err) {
    return preferences.Remove(kTrustedGateways, err);
}

Question TrustQuestion(const Destination& destination, const std::optional<Sharing>& granted) {
    std::string message = "此链接要连接到一台您尚未信任的主机。\n";
    if (granted) {
        const Sharing need = SharingOf(destination);
        const bool clipboard = need.clipboard && !granted->clipboard;
        const bool drives = need.drives && !granted->drives;
        message = std::string("此链接要连接到一台您已信任的主机，但这次还要共享") +
                  (clipboard ? "剪贴板" : "") + (clipboard && drives ? "和" : "") +
                  (drives ? "驱动器" : "") + "，您以前没有同意过。\n";
    }
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
