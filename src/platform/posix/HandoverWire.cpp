#include "platform/posix/HandoverWire.h"

#include "platform/posix/WireParts.h"

namespace torvale {
namespace {

// A handover lives for minutes at most, and ssh asks with a few prompts.
constexpr long long kLongestLifetime = 24 * 60 * 60;
constexpr long long kMostPrompts = 16;

}  // namespace

std::string EncodeHandover(const Handover& handover) {
    std::string out;
    PutPart(out, handover.socket);
    PutPart(out, std::to_string(handover.lifetime.count()));
    PutPart(out, std::to_string(handover.prompts.size()));
    for (const std::string& prompt : handover.prompts)
        PutPart(out, prompt);
    PutPart(out, handover.secret);
    return out;
}

std::optional<Handover> DecodeHandover(std::string_view text) {
    Handover handover;
    auto socket = TakePart(text);
    const auto seconds = TakeNumber(text, kLongestLifetime);
    const auto prompts = TakeNumber(text, kMostPrompts);
    if (!socket || !seconds || *seconds == 0 || !prompts) return std::nullopt;
    handover.socket = std::move(*socket);
    handover.lifetime = std::chrono::seconds(*seconds);
    for (long long i = 0; i < *prompts; ++i) {
        auto prompt = TakePart(text);
        if (!prompt) return std::nullopt;
        handover.prompts.push_back(std::move(*prompt));
    }
    auto secret = TakePart(text);
    if (!secret || !text.empty()) return std::nullopt;
    handover.secret = std::move(*secret);
    return handover;
}

}  // namespace torvale
