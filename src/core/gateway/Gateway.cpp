#include "core/gateway/Gateway.h"

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

// The drives in words, those that share most by name first, "/" and the
// home folder said as what they are.
std::vector<std::string> Drives(const Shares& shares) {
    std::vector<std::string> drives;
    if (shares.allDrives) drives.emplace_back("所有驱动器");
    if (shares.homeDrive) drives.emplace_back("主文件夹");
    if (shares.laterDrives) drives.emplace_back("以后插入的驱动器");
    for (const std::string& path : shares.paths) {
        if (path == "/") {
            drives.emplace_back("整个文件系统（/）");
        } else if (!shares.home.empty() && path == shares.home) {
            drives.push_back("主文件夹（" + Printable(path, kValueLimit) + "）");
        } else {
            drives.push_back(Printable(path, kValueLimit));
        }
    }
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

// The most the user agreed to share with `host`, over all its entries;
// nothing when the host is not trusted.
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

// Whether the host may be reached, from the configuration, the user's
// trusted hosts and the link's signature alone.
GatewayDecision Decide(const Configuration& config, const std::vector<std::string>& trusted,
                       const Destination& destination, LinkSignature::Verdict signature) {
    if (config.gatewaysInError)
        return {GatewayDecision::Refused, "refused, configuration.ini has an error"};
    const std::string& host = destination.host;
    const bool listed =
        std::any_of(config.allow.begin(), config.allow.end(),
                    [&](const std::string& entry) { return SameHost(entry, host); });
    if (!config.allow.empty() && !listed) return {GatewayDecision::Refused, "refused, not listed"};
    if (signature == LinkSignature::Valid) return {GatewayDecision::Allowed, "allowed, signed"};
    if (config.signing.Required() == Unsigned::Ask)
        return {GatewayDecision::Ask, "unsigned, asked", {}, true};
    if (listed) return {GatewayDecision::Allowed, "allowed, listed"};
    const std::optional<Sharing> granted = TrustedWith(trusted, host);
    if (!granted) return {GatewayDecision::Ask, "not trusted, asked", granted};
    const Sharing more = Beyond(SharingOf(destination), *granted);
    if (more.clipboard || more.drives)
        return {GatewayDecision::Ask, "trusted to share less, asked", granted};
    return {GatewayDecision::Allowed, "allowed, trusted", granted};
}

// A signed link launches once: marked used before anything is written.
GatewayDecision Claimed(GatewayDecision decision, Preferences& usedLinks,
                        const LinkSignature& link) {
    std::string why;
    const std::optional<bool> claimed = ClaimLink(usedLinks, link, &why);
    if (claimed == true) return decision;
    decision.verdict = GatewayDecision::Refused;
    if (claimed) {
        decision.detail = "signature: used before";
        decision.alert = kUsedLinkAlert;
    } else {
        // Not marked, it could be replayed: it does not launch.
        decision.log = "Signed link not marked used: " + why;
        decision.detail = "signature: not marked used: " + why;
        decision.alert = "无法记下此链接已被使用，为防重放已拒绝";
    }
    return decision;
}

}  // namespace

Sharing SharingOf(const Destination& destination) {
    if (!destination.shares) return {};
    return {destination.shares->clipboard, destination.shares->Drives()};
}

std::vector<std::string> TrustedGateways(Preferences& preferences) {
    return preferences.GetList(kTrustedGateways);
}

GatewayDecision DecideLink(const SigningPolicy& policy, const LinkSignature& link) {
    // Whatever else a link holds, its failing signature is all there is to
    // say of it.
    if (link.verdict == LinkSignature::Invalid)
        return {.verdict = GatewayDecision::Refused,
                .detail = "signature: " + link.why,
                .alert = link.alert};
    if (link.verdict == LinkSignature::None && policy.Required() == Unsigned::Refuse)
        return {.verdict = GatewayDecision::Refused,
                .detail = "signature: none, and one is required",
                .alert = "此链接没有网关签名，已拒绝"};
    return {GatewayDecision::Allowed};
}

GatewayDecision DecideGateway(const Configuration& config, const Destination& destination,
                              const LinkSignature& link, Preferences& preferences,
                              Preferences& usedLinks) {
    GatewayDecision decision =
        Decide(config, TrustedGateways(preferences), destination, link.verdict);
    const std::string& host = destination.host;
    decision.line =
        (host.empty() ? std::string("(no host)") : host) + ": " + std::string(decision.reason);
    if (link.verdict == LinkSignature::Valid) decision.line += " by " + link.kid;
    if (decision.verdict == GatewayDecision::Refused) {
        decision.detail = host;
        // A broken file closed the list: the host may well be on it.
        decision.alert =
            (config.gatewaysInError ? "配置文件有误，信任列表在修正之前不可用，已拒绝连接："
                                    : "网关不在信任列表中：") +
            host;
        return decision;
    }
    if (decision.verdict == GatewayDecision::Allowed && link.verdict == LinkSignature::Valid)
        return Claimed(std::move(decision), usedLinks, link);
    return decision;
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

Question TrustQuestion(const Destination& destination, const std::optional<Sharing>& granted,
                       bool unsignedLink) {
    std::string message = "此链接要连接到一台您尚未信任的主机。\n";
    if (unsignedLink) {
        message = "此链接没有网关签名。\n";
    } else if (granted) {
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
        message +=
            std::string("共享剪贴板：") + (destination.shares->clipboard ? "是" : "否") + "\n";
        message += "共享的驱动器：" + DrivesLine(*destination.shares) + "\n";
    }
    message += "只有在您信任这台主机时才连接。";
    return {"确认连接", message, "连接", "取消", unsignedLink ? "" : "始终信任此主机"};
}

}  // namespace torvale
