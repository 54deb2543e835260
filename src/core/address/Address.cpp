#include "core/address/Address.h"

#include <algorithm>

#include "base/Text.h"

namespace torvale {

bool IsPort(std::string_view port) {
    return std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
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

std::string_view HostOfAddress(std::string_view address) {
    auto port = [](std::string_view rest) {
        return rest.empty() || (rest[0] == ':' && IsPort(rest.substr(1)));
    };
    if (address.starts_with("[")) {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos || !port(address.substr(close + 1))) return address;
        return address.substr(1, close - 1);
    }
    const std::size_t colon = address.find(':');
    return colon != std::string_view::npos && port(address.substr(colon)) ? address.substr(0, colon)
                                                                          : address;
}

bool SameHost(std::string_view a, std::string_view b) {
    a = Unbracketed(a);
    b = Unbracketed(b);
    return !a.empty() && EqualIgnoringCase(a, b);
}

}  // namespace torvale
