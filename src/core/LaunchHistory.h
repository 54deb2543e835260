#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "core/plan/Outcome.h"

namespace torvale {

std::string_view OutcomeName(Outcome outcome);

// What one request pass did: the action only when it is one of the action
// names. The copy the history keeps holds no secret: the pass masks every
// secret of its launch URL in it.
struct LaunchRecord {
    std::chrono::system_clock::time_point time;
    std::string action;        // empty for an unknown action
    std::string client;        // the program or bundle looked for or found
    std::string clientReason;  // why that one: configured, or a successor
    std::string gateway;       // the gateway decision, for launches that connect
    std::string detail;        // the unsafe key, the host refused, the file not written
    Outcome outcome = Outcome::UnknownAction;
    // "Don't show again" was on: whatever the pass wanted to say went unseen.
    bool alertsSilenced = false;
    // The client still runs, watched: its watcher writes the pass line.
    bool watched = false;
};

// One line for a pass, as the pass log keeps it: when, the action, the host
// and the decision, the client, the outcome and its detail, " | " between;
// then "alerts silenced" where they were.
std::string PassLine(const LaunchRecord& record);
// A pass line read back: its time, action, host and decision, client,
// outcome and detail, as the line has them (escaped, perhaps cut short);
// nothing where the line is not one PassLine writes.
std::optional<LaunchRecord> ReadPassLine(std::string_view line);
// The same line in parts, for the watcher of a client still starting; and
// the line it writes once it knows the outcome: launched, as the pass had it,
// or another with its detail ("client failed: exit status 131 after 4 s").
WatchedPass PassLineParts(const LaunchRecord& record);
std::string WatchedPassLine(const WatchedPass& pass, Outcome outcome, const std::string& detail);
inline constexpr const char* kAlertsSilenced = "alerts silenced";

// The launch URLs handled in this run, newest first, at most kCapacity.
class LaunchHistory {
  public:
    static constexpr std::size_t kCapacity = 200;

    void Add(LaunchRecord record);
    const std::deque<LaunchRecord>& Entries() const { return entries_; }

  private:
    std::deque<LaunchRecord> entries_;
};

}  // namespace torvale
