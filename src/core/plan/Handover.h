#pragma once

// A secret handed to a client's askpass helper: OpenSSH asks the program
// SSH_ASKPASS names for the password, and Torvale answers that one prompt,
// once, from a process of its own that holds the password in memory only.
// No command line, environment or file ever holds it.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvale {

struct Handover {
    std::string socket;  // the Unix socket's path, in the 0700 user data directory
    std::string secret;
    // The prompts it is the answer to: whatever else the client asks (a host
    // key to accept) is the user's to answer.
    std::vector<std::string> prompts;
    std::chrono::seconds lifetime{60};
};

// The prompts with which OpenSSH asks for the password of `login` on `host`
// (which ssh names in lower case): password authentication's
// "LOGIN@HOST's password: ", whole and as older releases cut it, and
// keyboard-interactive's "(LOGIN@HOST) Password: ".
std::vector<std::string> PasswordPrompts(std::string_view login, std::string_view host);

// Whether the handover answers `prompt`.
bool Answers(const Handover& handover, std::string_view prompt);

}  // namespace torvale
