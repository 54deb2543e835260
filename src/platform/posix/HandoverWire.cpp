#include "platform/posix/HandoverWire.h"

#include <charconv>

namespace torvale {
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

std::string EncodeWatchedPass(const WatchedPass& pass) {
    std::string out;
    for (const std::string* part : {&pass.head, &pass.launched, &pass.tail, &pass.client})
        Put(out, *part);
    return out;
}

std::optional<WatchedPass> DecodeWatchedPass(std::string_view text) {
    WatchedPass pass;
    for (std::string* part : {&pass.head, &pass.launched, &pass.tail, &pass.client}) {
        auto taken = Take(text);
        if (!taken) return std::nullopt;
        *part = std::move(*taken);
    }
    if (!text.empty()) return std::nullopt;
    return pass;
}

}  // namespace torvale
