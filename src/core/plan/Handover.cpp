#include "core/plan/Handover.h"

#include <algorithm>

#include "base/Text.h"

namespace torvale {

std::vector<std::string> PasswordPrompts(std::string_view login, std::string_view host) {
    // ssh names the host in lower case. Older releases cut the login and
    // the host of the password prompt ("%.30s@%.128s", in bytes).
    std::string lower(host);
    for (char& c : lower)
        c = AsciiLower(c);
    const std::string whole = std::string(login) + "@" + lower;
    std::vector<std::string> prompts = {
        whole + "'s password: ",
        std::string(login.substr(0, 30)) + "@" + lower.substr(0, 128) + "'s password: ",
        "(" + whole + ") Password: "};
    if (prompts[1] == prompts[0]) prompts.erase(prompts.begin() + 1);
    return prompts;
}

bool Answers(const Handover& handover, std::string_view prompt) {
    return std::find(handover.prompts.begin(), handover.prompts.end(), prompt) !=
           handover.prompts.end();
}

}  // namespace torvale
