#include "app/config/Configuration.h"

#include <algorithm>

namespace torvale {
namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

// An IPv6 address may be written in brackets, as in an .rdp full address.
std::string_view WithoutBrackets(std::string_view host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

// Host names compare without case; addresses are not normalised otherwise.
bool SameHost(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The section that the given line stands in (or opens).
std::string_view SectionAt(std::string_view text, int line) {
    std::string_view section;
    for (int number = 1; number <= line && !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        const std::string_view current = Trim(text.substr(0, end));
        if (!current.empty() && current.front() == '[')
            section = Trim(current.substr(1, current.find(']') - 1));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return section;
}

}  // namespace

bool Configuration::Allows(std::string_view host) const {
    if (gatewaysInError) return false;
    if (allow.empty()) return true;
    host = WithoutBrackets(host);
    return !host.empty() && std::any_of(allow.begin(), allow.end(), [&](const std::string& entry) {
        return SameHost(WithoutBrackets(entry), host);
    });
}

Configuration ParseConfiguration(std::string_view text, IniParser& parser, const ClientTable& table,
                                 const std::string& home) {
    Configuration config;
    auto isClient = [&](std::string_view name) {
        const auto all = table.All();
        return std::any_of(all.begin(), all.end(),
                           [&](const ClientApp* app) { return app->name == name; });
    };
    const int error = parser.Parse(text, [&](const IniEntry& entry) {
        if (entry.section == "clients") {
            if (!isClient(entry.key)) return false;
            std::string path(entry.value);
            if (path.starts_with("~/")) path = home + path.substr(1);
            if (!path.starts_with("/")) return false;
            config.clients[std::string(entry.key)] = {std::move(path), entry.line};
            return true;
        }
        if (entry.section == "gateways" && entry.key == "allow") {
            std::string_view hosts = entry.value;
            while (!hosts.empty()) {
                const std::size_t comma = hosts.find(',');
                const std::string_view host = Trim(hosts.substr(0, comma));
                if (!host.empty()) config.allow.emplace_back(host);
                hosts =
                    comma == std::string_view::npos ? std::string_view() : hosts.substr(comma + 1);
            }
            return true;
        }
        return false;
    });
    if (error != 0) {
        config.errorLine = error;
        config.clients.clear();
        config.gatewaysInError = SectionAt(text, error) == "gateways";
    }
    return config;
}

}  // namespace torvale
