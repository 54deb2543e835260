#include "core/LaunchHistory.h"

#include <cstdio>

#include "base/Printable.h"

namespace torvale {
namespace {

// An outcome as a pass line says it: its name, then its detail, if any.
std::string OutcomeText(Outcome outcome, const std::string& detail) {
    std::string text(OutcomeName(outcome));
    if (!detail.empty()) text += ": " + Printable(detail, 200);
    return text;
}

}  // namespace

std::string PassLine(const LaunchRecord& record) {
    const WatchedPass parts = PassLineParts(record);
    return parts.head + parts.launched + parts.tail;
}

WatchedPass PassLineParts(const LaunchRecord& record) {
    using namespace std::chrono;
    const auto day = floor<days>(record.time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<seconds>(record.time - day)};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02u %02ld:%02ld:%02ld UTC", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), long(clock.hours().count()),
                  long(clock.minutes().count()), long(clock.seconds().count()));
    WatchedPass parts;
    parts.head = std::string(stamp) + " | " + Printable(record.action, 80) + " | " +
                 (record.gateway.empty() ? "-" : Printable(record.gateway, 300)) + " | " +
                 (record.client.empty() ? "-" : Printable(record.client, 200)) + " | ";
    parts.launched = OutcomeText(record.outcome, record.detail);
    if (record.alertsSilenced) parts.tail = std::string(" | ") + kAlertsSilenced;
    parts.client = record.client;
    return parts;
}

std::string WatchedPassLine(const WatchedPass& pass, Outcome outcome, const std::string& detail) {
    return pass.head +
           (outcome == Outcome::Launched ? pass.launched : OutcomeText(outcome, detail)) +
           pass.tail;
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
