#include "platform/posix/RemovalWire.h"

#include "platform/posix/WireParts.h"

namespace torvale {

std::string EncodeRemoval(const Removal& removal) {
    std::string out;
    PutPart(out, std::to_string(removal.limit.count()));
    PutPart(out, removal.path);
    return out;
}

std::optional<Removal> DecodeRemoval(std::string_view text) {
    const auto seconds = TakeNumber(text, 24 * 60 * 60);
    auto path = TakePart(text);
    if (!seconds || *seconds == 0 || !path || path->empty() || !text.empty()) return std::nullopt;
    return Removal{std::move(*path), std::chrono::seconds(*seconds)};
}

}  // namespace torvale
