#include "platform/posix/ClientWatchWire.h"

#include "platform/posix/WireParts.h"

namespace torvale {

std::string EncodeWatchOrder(const WatchOrder& order) {
    std::string out;
    PutPart(out, std::to_string(order.watch.count()));
    PutPart(out, order.commandLine);
    PutPart(out, order.client.certificateHost);
    const WatchedPass& pass = order.client.pass;
    for (const std::string* part : {&pass.head, &pass.launched, &pass.tail, &pass.client})
        PutPart(out, *part);
    return out;
}

std::optional<WatchOrder> DecodeWatchOrder(std::string_view text) {
    if (text.size() > kLongestWatchOrder) return std::nullopt;
    WatchOrder order;
    // A front end waits a few seconds for a watcher's word, no more.
    const auto milliseconds = TakeNumber(text, 60 * 1000);
    if (!milliseconds) return std::nullopt;
    order.watch = std::chrono::milliseconds(*milliseconds);
    WatchedPass& pass = order.client.pass;
    for (std::string* part : {&order.commandLine, &order.client.certificateHost, &pass.head,
                              &pass.launched, &pass.tail, &pass.client}) {
        auto taken = TakePart(text);
        if (!taken) return std::nullopt;
        *part = std::move(*taken);
    }
    if (order.commandLine.empty() || !text.empty()) return std::nullopt;
    return order;
}

}  // namespace torvale
