#include "core/LaunchHistory.h"

#include <algorithm>
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

std::optional<LaunchRecord> ReadPassLine(std::string_view line) {
    using namespace std::chrono;
    const std::string stamp(line.substr(0, 23));
    int y = 0, h = 0, min = 0, s = 0, length = 0;
    unsigned m = 0, d = 0;
    if (std::sscanf(stamp.c_str(), "%4d-%2u-%2u %2d:%2d:%2d UTC%n", &y, &m, &d, &h, &min, &s,
                    &length) != 6 ||
        length != 23)
        return std::nullopt;
    const year_month_day date{year{y}, month{m}, day{d}};
    if (!date.ok()) return std::nullopt;
    LaunchRecord record;
    record.time = sys_days{date} + hours{h} + minutes{min} + seconds{s};
    std::string_view rest = line.substr(23);
    // The action and the host hold no " | ": one is an action's name, the
    // other a host checked before its decision.
    auto field = [&rest](std::string* into) {
        if (!rest.starts_with(" | ")) return false;
        const std::size_t end = std::min(rest.find(" | ", 3), rest.size());
        *into = rest.substr(3, end - 3);
        rest.remove_prefix(end);
        return true;
    };
    if (!field(&record.action) || !field(&record.gateway)) return std::nullopt;
    const std::string silenced = std::string(" | ") + kAlertsSilenced;
    record.alertsSilenced = rest.ends_with(silenced);
    if (record.alertsSilenced) rest.remove_suffix(silenced.size());
    // A client's path may hold one: the outcome is what follows the first
    // " | " that an outcome's name follows.
    if (!rest.starts_with(" | ")) return std::nullopt;
    for (std::size_t at = 3; (at = rest.find(" | ", at)) != rest.npos; at += 3) {
        const std::string_view said = rest.substr(at + 3);
        for (int i = 0; i <= static_cast<int>(Outcome::UnknownAction); ++i) {
            const std::string_view name = OutcomeName(static_cast<Outcome>(i));
            if (!said.starts_with(name) ||
                (said.size() != name.size() && !said.substr(name.size()).starts_with(": ")))
                continue;
            record.client = rest.substr(3, at - 3);
            record.outcome = static_cast<Outcome>(i);
            record.detail = said.substr(std::min(said.size(), name.size() + 2));
            for (std::string* dash : {&record.gateway, &record.client})
                if (*dash == "-") dash->clear();
            return record;
        }
    }
    return std::nullopt;
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
