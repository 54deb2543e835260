#include "core/config/Trust.h"

#include <algorithm>

#include "base/Printable.h"
#include "base/Text.h"
#include "core/address/Address.h"

namespace torvale {
namespace {

// Each value of the question is cut short enough that a long one cannot push
// the lines after it out of the dialog.
constexpr std::size_t kValueLimit = 200;

// Past this many, the drives shown end with how many more there are, so
// the lines after them stay in view.
constexpr std::size_t kDrivesShown = 8;

// A path as the file system resolves it: "/tmp/./../" is "/".
std::string Normalised(std::string_view path) {
    std::vector<std::string_view> parts;
    for (const std::string_view part : Split(path, '/')) {
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string normalised;
    for (std::string_view part : parts)
        normalised += "/" + std::string(part);
    return normalised.empty() ? "/" : normalised;
}

// The drives of an .rdp "drivestoredirect" value, ";" between them, as the
// client applies them: those that share most by name first, then each path
// in the form the file system resolves, "/" and the home folder in words.
std::vector<std::string> Drives(const Shares& shares) {
    bool all = false, home = false, later = false;
    std::vector<std::string> paths;
    for (const std::string_view drive : Split(shares.disk, ';')) {
        if (drive.empty()) continue;
        const std::string path = drive.starts_with("/") ? Normalised(drive) : std::string(drive);
        if (drive == "*") {
            all = true;
        } else if (drive == "%") {
            home = true;
        } else if (drive == "DynamicDrives") {
            later = true;
        } else if (path == "/") {
            paths.push_back("整个文件系统（/）");
        } else if (!shares.home.empty() && path == Normalised(shares.home)) {
            paths.push_back("主文件夹（" + Printable(path, kValueLimit) + "）");
        } else {
            paths.push_back(Printable(path, kValueLimit));
        }
    }
    // Each named once, in a fixed order.
    std::vector<std::string> drives;
    if (all) drives.emplace_back("所有驱动器");
    if (home) drives.emplace_back("主文件夹");
    if (later) drives.emplace_back("以后插入的驱动器");
    drives.insert(drives.end(), paths.begin(), paths.end());
    return drives;
}

// The host an entry of the trusted hosts names: what stands before its first ",".
std::string_view HostOfEntry(std::string_view entry) {
    return entry.substr(0, entry.find(','));
}

// What a launch would share beyond what the user granted its host.
Sharing Beyond(const Sharing& need, const Sharing& granted) {
    return {need.clipboard && !granted.clipboard, need.drives && !granted.drives};
}

std::string DrivesLine(const Shares& shares) {
    const std::vector<std::string> drives = Drives(shares);
    std::string line;
    for (std::size_t i = 0; i < drives.size() && i < kDrivesShown; ++i)
        line += (i == 0 ? "" : "；") + drives[i];
    if (drives.size() > kDrivesShown)
        line += "；另有 " + std::to_string(drives.size() - kDrivesShown) + " 项";
    return line.empty() ? "无" : line;
}

}  // namespace

Sharing SharingOf(const Destination& destination) {
    if (!destination.shares) return {};
    return {destination.shares->clipboard != "0", !Drives(*destination.shares).empty()};
}

std::vector<std::string> TrustedGateways(Preferences& preferences) {
    return preferences.GetList(kTrustedGateways);
}

std::optional<Sharing> TrustedWith(const std::vector<std::string>& trusted, std::string_view host) {
    std::optional<Sharing> granted;
    for (std::string_view entry : trusted) {
        if (!SameHost(HostOfEntry(entry), host)) continue;
        const std::string_view words = entry.substr(HostOfEntry(entry).size());
        if (!granted) granted = Sharing{};
        granted->clipboard |= words.find(",clipboard") != std::string_view::npos;
        granted->drives |= words.find(",drives") != std::string_view::npos;
    }
    return granted;
}

Trusted HowTrusted(const std::optional<Sharing>& granted, const Destination& destination) {
    if (!granted) return Trusted::No;
    const Sharing more = Beyond(SharingOf(destination), *granted);
    return more.clipboard || more.drives ? Trusted::WithLess : Trusted::Enough;
}

bool TrustAlways(Preferences& preferences, const Destination& destination, std::string* err) {
    // One entry per host, with the most the user agreed to share with it.
    auto change = [&](std::vector<std::string> trusted) {
        Sharing sharing = TrustedWith(trusted, destination.host).value_or(Sharing{});
        const Sharing now = SharingOf(destination);
        sharing.clipboard |= now.clipboard;
        sharing.drives |= now.drives;
        std::erase_if(trusted, [&](std::string_view entry) {
            return SameHost(HostOfEntry(entry), destination.host);
        });
        trusted.push_back(destination.host + (sharing.clipboard ? ",clipboard" : "") +
                          (sharing.drives ? ",drives" : ""));
        return trusted;
    };
    return preferences.UpdateList(kTrustedGateways, change, err);
}

bool ForgetGateways(Preferences& preferences, std::string* err) {
    return preferences.Remove(kTrustedGateways, err);
}

Question TrustQuestion(const Destination& destination, const std::optional<Sharing>& granted) {
    std::string message = "此链接要连接到一台您尚未信任的主机。\n";
    if (granted) {
        const Sharing more = Beyond(SharingOf(destination), *granted);
        message = std::string("此链接要连接到一台您已信任的主机，但这次还要共享") +
                  (more.clipboard ? "剪贴板" : "") + (more.clipboard && more.drives ? "和" : "") +
                  (more.drives ? "驱动器" : "") + "，您以前没有同意过。\n";
    }
    // A host is at most 253 bytes: shown whole, its domain cannot be cut away.
    message += "主机：" + Printable(destination.address) + "\n";
    message += "客户端：" + Printable(destination.client, kValueLimit) + "\n";
    message += "登录名：" + Printable(destination.login, kValueLimit) + "\n";
    // The drives come last: however many there are, nothing else is pushed
    // out of view.
    if (destination.shares) {
        message += std::string("共享剪贴板：") +
                   (destination.shares->clipboard == "0" ? "否" : "是") + "\n";
        message += "共享的驱动器：" + DrivesLine(*destination.shares) + "\n";
    }
    message += "只有在您信任这台主机时才连接。";
    return {"确认连接", message, "连接", "取消", "始终信任此网关"};
}

}  // namespace torvale
