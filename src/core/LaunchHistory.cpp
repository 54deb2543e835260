#include "core/LaunchHistory.h"

#include <ctime>

#include "base/Printable.h"

namespace torvale {

std::string PassLine(const LaunchRecord& record) {
    const std::time_t time = std::chrono::system_clock::to_time_t(record.time);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S UTC", &utc);
    std::string line = std::string(stamp) + " | " + Printable(record.action, 80) + " | " +
                       (record.gateway.empty() ? "-" : Printable(record.gateway, 300)) + " | " +
                       (record.client.empty() ? "-" : Printable(record.client, 200)) + " | " +
                       std::string(OutcomeName(record.outcome));
    if (!record.detail.empty()) line += ": " + Printable(record.detail, 200);
    return line;
}

std::string_view OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Launched:
            return "launched";
        case Outcome::LaunchedWithoutFile:
            return "launched, a file not written";
        case Outcome::ClientMissing:
            return "client missing";
        case Outcome::Refused:
            return "refused";
        case Outcome::Cancelled:
            return "cancelled";
        case Outcome::WriteFailed:
            return "failed to write";
        case Outcome::NotRun:
            return "not run";
        case Outcome::ClientFailed:
            return "client failed";
        case Outcome::StillStarting:
            return "still starting";
        case Outcome::NotImplemented:
            return "not implemented";
        case Outcome::UnknownAction:
            return "unknown action";
    }
    return "";
}

void LaunchHistory::Add(LaunchRecord record) {
    entries_.push_front(std::move(record));
    if (entries_.size() > kCapacity) entries_.pop_back();
}

}  // namespace torvale
