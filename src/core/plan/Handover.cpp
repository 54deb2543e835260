#include "core/plan/Handover.h"

#include <algorithm>
#include <charconv>

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

namespace {

void Put(std::string& out, std::string_view part) {
    out += std::to_string(part.size());
    out += '\n';
    out += part;
}

// The next part, or nothing where the text does not hold one.
std::optional<std::string> Take(std::string_view& text) {
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos || newline == 0) return std::nullopt;
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + newline, size);
    if (error != std::errc() || end != text.data() + newline || size > text.size() - newline - 1)
        return std::nullopt;
    std::string part(text.substr(newline + 1, size));
    text.remove_prefix(newline + 1 + size);
    return part;
}

}  // namespace

std::string EncodeHandover(const Handover& handover) {
    std::string out;
    Put(out, handover.socket);
    Put(out, std::to_string(handover.lifetime.count()));
    Put(out, std::to_string(handover.prompts.size()));
    for (const std::string& prompt : handover.prompts)
        Put(out, prompt);
    Put(out, handover.secret);
    return out;
}

std::optional<Handover> DecodeHandover(std::string_view text) {
    Handover handover;
    const auto socket = Take(text);
    const auto lifetime = Take(text);
    const auto count = Take(text);
    if (!socket || !lifetime || !count) return std::nullopt;
    handover.socket = *socket;
    long long seconds = 0;
    std::size_t prompts = 0;
    if (std::from_chars(lifetime->data(), lifetime->data() + lifetime->size(), seconds).ec !=
            std::errc() ||
        std::from_chars(count->data(), count->data() + count->size(), prompts).ec != std::errc() ||
        seconds <= 0 || prompts > 16)
        return std::nullopt;
    handover.lifetime = std::chrono::seconds(seconds);
    for (std::size_t i = 0; i < prompts; ++i) {
        auto prompt = Take(text);
        if (!prompt) return std::nullopt;
        handover.prompts.push_back(std::move(*prompt));
    }
    auto secret = Take(text);
    if (!secret || !text.empty()) return std::nullopt;
    handover.secret = std::move(*secret);
    return handover;
}

}  // namespace torvale
