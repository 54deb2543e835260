#include "core/config/Configuration.h"

#include <algorithm>

#include "base/Text.h"
#include "core/address/Address.h"

namespace torvale {
namespace {

// Large enough for any hand-written file; a larger one is not read at all.
constexpr std::size_t kConfigurationLimit = 1 << 20;

// Whether the text may hold an allow-list that reading missed. After an
// error, reading may have stopped early or taken a header for something else:
// "[Gateways]", "[gateway]", full-width brackets, a BOM or UTF-16 (as some
// editors save) before it. Whatever mentions a gateway or an allow line closes
// the list, since a broken allow-list must not let everything through.
bool MayHoldAllowList(std::string_view text) {
    std::string folded;
    for (const char c : text) {
        if (c != '\0') folded += AsciiLower(c);
    }
    return folded.find("gateway") != std::string::npos || folded.find("allow") != std::string::npos;
}

}  // namespace

Configuration ParseConfiguration(std::string_view text, IniParser& parser, const ClientTable& table,
                                 const std::string& home) {
    Configuration config;
    auto isClient = [&](std::string_view name) {
        const auto all = table.All();
        return std::any_of(all.begin(), all.end(),
                           [&](const ClientApp* app) { return app->name == name; });
    };
    // An unknown name is told with the known one it may have meant.
    auto unknown = [](std::string what, std::string_view name,
                      const std::vector<std::string_view>& known, std::string_view open,
                      std::string_view close) {
        auto quoted = [&](std::string_view n) {
            return std::string(open) + std::string(n) + std::string(close);
        };
        std::string message = what + " " + quoted(name);
        if (const std::string_view meant = Nearest(name, known); !meant.empty())
            return message + "; did you mean " + quoted(meant) + "?";
        message += "; known:";
        for (std::size_t i = 0; i < known.size(); ++i)
            message += (i == 0 ? " " : ", ") + quoted(known[i]);
        return message;
    };
    std::vector<std::string_view> clientNames;
    for (const ClientApp* app : table.All())
        clientNames.push_back(app->name);
    clientNames.push_back("SSH");
    // A client's path, "~/" for the home folder.
    auto keepPath = [&](std::string_view name, std::string_view value, int line) -> std::string {
        std::string path(value);
        if (path.starts_with("~/")) path = home + path.substr(1);
        if (!path.starts_with("/")) return "the path of " + std::string(name) + " is not absolute";
        config.clients[std::string(name)] = {std::move(path), line};
        return {};
    };
    auto onEntry = [&](const IniEntry& entry) -> std::string {
        if (entry.section == "clients" && entry.key == "SSH") {
            config.preferOpenSSH = true;
            if (entry.value == "openssh") return {};
            // A terminal's path: the one that key also names.
            if (!entry.value.starts_with("/") && !entry.value.starts_with("~/"))
                return "SSH is \"openssh\" or the absolute path of a terminal";
            return keepPath("Terminal", entry.value, entry.line);
        }
        if (entry.section == "clients") {
            if (!isClient(entry.key))
                return unknown("no client is named", entry.key, clientNames, "'", "'");
            return keepPath(entry.key, entry.value, entry.line);
        }
        if (entry.section == "gateways" && entry.key == "allow") {
            for (const std::string_view host : Split(entry.value, ',')) {
                if (!Trim(host).empty()) config.allow.emplace_back(Trim(host));
            }
            return {};
        }
        if (entry.section != "gateways")
            return unknown("no section is named", entry.section, {"clients", "gateways"}, "[", "]");
        return unknown("[gateways] has no key", entry.key, {"allow"}, "'", "'");
    };
    if (!parser.Parse(text, onEntry, &config.errorLine, &config.error)) {
        // Reading may have stopped at the error, or gone on past a broken
        // line: an allow-list in a file with an error cannot be trusted.
        config.clients.clear();
        config.preferOpenSSH = false;
        config.gatewaysInError = MayHoldAllowList(text);
    }
    return config;
}

Configuration ReadConfiguration(FileSystem& files, IniParser& parser, const std::string& path,
                                const ClientTable& table, const std::string& home) {
    Configuration config;
    const auto text = files.ReadFile(path, kConfigurationLimit, &config.error);
    if (text) return ParseConfiguration(*text, parser, table, home);
    config.unreadable = config.gatewaysInError = true;
    return config;
}

}  // namespace torvale
