#include "core/launchers/Checks.h"

#include <algorithm>

#include "core/AlertTitles.h"
#include "core/AppDelegate.h"

namespace torvale {
namespace {

// The mstsc switches that FreeRDP reads alike and that neither point the
// connection elsewhere nor share anything of this machine.
bool IsPlainRdpSwitch(std::string_view rdparg) {
    for (std::string_view known : {"admin", "f", "span", "multimon", "public"}) {
        if (rdparg == known) return true;
    }
    return false;
}

}  // namespace

bool OptionLike(std::string_view value) {
    return !value.empty() && (value.front() == '/' || value.front() == '-');
}

bool IsPort(std::string_view value) {
    return std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsUrlScheme(std::string_view text) {
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return !text.empty() && letter(text.front()) &&
           std::all_of(text.begin(), text.end(), [&](char c) {
               return letter(c) || (c >= '0' && c <= '9') || c == '+' || c == '.' || c == '-';
           });
}

bool IsUrlHost(std::string_view host) {
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) host = host.substr(1, host.size() - 2);
    return std::none_of(host.begin(), host.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7f ||
               std::string_view("@/\\?#[]").find(c) != std::string_view::npos;
    });
}

bool IsUnsafeRdpSwitch(std::string_view rdparg, RdpSwitch place) {
    if (rdparg.empty()) return false;
    if (place == RdpSwitch::BeforeFile) {
        return rdparg.find('/') != std::string_view::npos || rdparg == "." || rdparg == "..";
    }
    return !IsPlainRdpSwitch(rdparg);
}

bool AppDelegate::Permitted(const Destination& destination, std::initializer_list<Check> checks) {
    for (const Check& check : checks) {
        if (!check.unsafe) continue;
        pass_.record.outcome = Outcome::Refused;
        pass_.record.detail = check.key;
        Alert(titles::kSorry, "启动参数不安全：" + std::string(check.key));
        return false;
    }
    const std::string& host = destination.host;
    const GatewayDecision gateway = DecideGateway(config_, host, TrustedGateways());
    std::string& decided = pass_.record.gateway;
    decided = (host.empty() ? std::string("(no host)") : host) + ": " + std::string(gateway.reason);
    if (gateway.verdict == GatewayDecision::Refused) {
        pass_.record.outcome = Outcome::Refused;
        pass_.record.detail = host;
        Alert(titles::kSorry, "网关不在信任列表中：" + host);
        return false;
    }
    if (gateway.verdict == GatewayDecision::Allowed) return true;

    // Asked even when alerts are silenced: "don't show again" on some alert
    // must never hand a new host the user's drives unasked.
    const Answer answer = platform_.alerts.Ask(TrustQuestion(destination));
    if (answer == Answer::Cancel) {
        decided += ": cancelled";
        pass_.record.outcome = Outcome::Cancelled;
        pass_.record.detail = host;
        return false;
    }
    // No host name is longer than 253 bytes; a longer "host" is remembered
    // by no one, and would only fill the user's preferences.
    if (answer == Answer::ConnectAlways && !host.empty() && host.size() <= 253) {
        std::vector<std::string> trusted = TrustedGateways();
        trusted.push_back(host);
        platform_.preferences.SetList(kTrustedGateways, trusted);
        decided += ": connect, trusted from now on";
    } else {
        decided += ": connect";
    }
    return true;
}

std::vector<std::string> AppDelegate::TrustedGateways() {
    return platform_.preferences.GetList(kTrustedGateways);
}

void AppDelegate::ForgetGateways() {
    platform_.preferences.Remove(kTrustedGateways);
}

}  // namespace torvale
