#include "core/LaunchHistory.h"

namespace torvale {

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
