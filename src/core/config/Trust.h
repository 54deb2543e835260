#pragma once

// Trust on first use: the question a launch asks before it connects to a
// host that neither an administrator listed nor the user trusted.

#include <optional>
#include <string>
#include <string_view>

#include "core/ports/AlertPanel.h"

namespace torvale {

// Where the user's trusted hosts are kept among the preferences.
inline const std::string kTrustedGateways = "TrustedGateways";

// What an .rdp launch shares with the host: the drives of its "disk" and,
// unless "clipboard" is "0", the clipboard.
struct Shares {
    std::string disk;
    std::string clipboard;
};

// Where a launch connects, and as whom.
struct Destination {
    std::string host;     // as the allow-list and the trusted hosts name it
    std::string address;  // the host with the port the launch carries, if any
    std::string_view client;
    std::string login;
    std::optional<Shares> shares;
};

// "host:port", "[v6]:port", or the host alone without a port.
std::string WithPort(std::string_view host, std::string_view port);

// The question, every value in it escaped as alerts escape them.
Question TrustQuestion(const Destination& destination);

}  // namespace torvale
