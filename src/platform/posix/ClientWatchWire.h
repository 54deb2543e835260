#pragma once

// What the watcher of a client reads on its standard input, before it
// starts anything: how long to watch at first, the command line, and the
// client's watch (the certificate's host, the pass line), in the framing of
// WireParts.h.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports/Shell.h"

namespace torvale {

struct WatchOrder {
    // How long the watcher watches before it says "running": a line that
    // fails by then is the front end's to report.
    std::chrono::milliseconds watch{0};
    std::string commandLine;
    ClientWatch client;
};

// The most a watch order may hold: a command line, which the shell gets as
// one environment string of at most 128 KiB on Linux, and its pass line.
inline constexpr std::size_t kLongestWatchOrder = 256 * 1024;

std::string EncodeWatchOrder(const WatchOrder& order);
// Nothing for a text that is not one whole watch order.
std::optional<WatchOrder> DecodeWatchOrder(std::string_view text);

}  // namespace torvale
