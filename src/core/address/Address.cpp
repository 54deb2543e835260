#include "core/address/Address.h"

#include <algorithm>

#include "base/Text.h"

namespace torvale {
namespace {

bool AllOf(std::string_view text, bool (*test)(char)) {
    return std::all_of(text.begin(), text.end(), test);
}

// Decimal 0 to `max` without a leading zero.
bool IsDecimal(std::string_view text, unsigned max) {
    if (text.empty() || text.size() > 5 || !AllOf(text, IsDigit)) return false;
    if (text.size() > 1 && text[0] == '0') return false;
    unsigned value = 0;
    for (const char c : text)
        value = value * 10 + static_cast<unsigned>(c - '0');
    return value <= max;
}

// A number to inet_aton or a browser: decimal, octal ("0177") or
// hexadecimal ("0x7f").
bool IsNumber(std::string_view label) {
    if (label.starts_with("0x") || label.starts_with("0X"))
        return AllOf(label.substr(2), IsHexDigit);
    return !label.empty() && AllOf(label, IsDigit);
}

bool IsDottedQuad(std::string_view host) {
    const auto parts = Split(host, '.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](std::string_view part) {
               return IsDecimal(part, 255);
           });
}

// How many of an IPv6 address's eight groups "1:ab:1.2.3.4" writes (a
// dotted quad stands for two, and only at the `end`), or nothing where a
// piece is no group of one to four hexadecimal digits.
std::optional<std::size_t> Groups(std::string_view text, bool end) {
    if (text.empty()) return 0;
    const auto groups = Split(text, ':');
    std::size_t count = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string_view group = groups[i];
        if (end && i + 1 == groups.size() && IsDottedQuad(group))
            count += 2;
        else if (group.empty() || group.size() > 4 || !AllOf(group, IsHexDigit))
            return std::nullopt;
        else
            ++count;
    }
    return count;
}

// The text forms of an IPv6 address (RFC 4291, section 2.2), exactly those
// inet_pton takes: eight groups, or fewer around the one "::" that stands
// for one group of zeros or more.
bool IsIPv6Address(std::string_view text) {
    const std::size_t elided = text.find("::");
    if (elided == std::string_view::npos) return Groups(text, true) == 8u;
    const auto before = Groups(text.substr(0, elided), false);
    const auto after = Groups(text.substr(elided + 2), true);
    return before && after && *before + *after < 8;
}

// An IPv6 address with an optional zone ("%eth0").
bool IsIPv6(std::string_view host) {
    const std::size_t percent = host.find('%');
    if (percent != std::string_view::npos) {
        const std::string_view zone = host.substr(percent + 1);
        if (zone.empty() || !AllOf(zone, [](char c) {
                return IsAsciiAlnum(c) || c == '-' || c == '_' || c == '.';
            }))
            return false;
    }
    return IsIPv6Address(host.substr(0, percent));
}

bool IsName(std::string_view name) {
    if (name.ends_with(".")) name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return false;
    std::string_view last;
    for (std::string_view rest = name; !rest.empty();) {
        const std::size_t dot = rest.find('.');
        last = rest.substr(0, dot);
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
        if (last.empty() || last.size() > 63 || last[0] == '-' ||
            (dot != std::string_view::npos && rest.empty()))
            return false;
        if (!AllOf(last, [](char c) { return IsAsciiAlnum(c) || c == '-' || c == '_'; }))
            return false;
    }
    return !IsNumber(last);
}

}  // namespace

bool IsPort(std::string_view port) {
    return port.empty() || (port != "0" && IsDecimal(port, 65535));
}

bool IsHost(std::string_view host) {
    if (host.empty()) return true;
    if (host.size() > 253) return false;
    if (host.starts_with("[")) return host.ends_with("]") && IsIPv6(Unbracketed(host));
    if (host.find(':') != std::string_view::npos) return IsIPv6(host);
    // "10.0.0.1." is no address to glibc: it looks it up as a name, which
    // /etc/hosts or DNS may answer with any address. A name's closing dot
    // stays a name's.
    return IsDottedQuad(host) || IsName(host);
}

std::string Lowered(std::string_view address) {
    std::string lowered(address);
    const std::size_t zone = std::min(lowered.find('%'), lowered.size());
    std::transform(lowered.begin(), lowered.begin() + static_cast<std::ptrdiff_t>(zone),
                   lowered.begin(), AsciiLower);
    return lowered;
}

std::optional<HostAndPort> SplitAddress(std::string_view address) {
    HostAndPort split{address, {}};
    if (address.starts_with("[")) {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        split.host = address.substr(1, close - 1);
        const std::string_view rest = address.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1)) return std::nullopt;
        split.port = rest.empty() ? rest : rest.substr(1);
        if (!IsIPv6(split.host)) return std::nullopt;
    } else if (std::count(address.begin(), address.end(), ':') == 1) {
        const std::size_t colon = address.find(':');
        split = {address.substr(0, colon), address.substr(colon + 1)};
        if (split.port.empty()) return std::nullopt;
    }
    if (!IsHost(split.host) || !IsPort(split.port)) return std::nullopt;
    return split;
}

std::string_view Unbracketed(std::string_view host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

std::string Bracketed(std::string_view host) {
    const bool v6 = host.find(':') != std::string_view::npos && !host.starts_with("[");
    return v6 ? "[" + std::string(host) + "]" : std::string(host);
}

std::string WithPort(std::string_view host, std::string_view port) {
    if (port.empty()) return std::string(host);
    return Bracketed(host) + ":" + std::string(port);
}

bool SameHost(std::string_view a, std::string_view b) {
    a = Unbracketed(a);
    b = Unbracketed(b);
    return !a.empty() && EqualIgnoringCase(a, b);
}

}  // namespace torvale
