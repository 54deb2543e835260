#include "core/Executor.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/Path.h"
#include "core/Alerts.h"
#include "core/gateway/Gateway.h"
#include "core/plan/AlertTitles.h"

namespace torvale {
namespace {

// How long a client may take to read its connection file.
constexpr std::chrono::seconds kReadWithin{60};

class Execution {
  public:
    Execution(const Plan& plan, const Configuration& config, const LinkSignature& signature,
              Platform& platform)
        : plan_(plan), config_(config), signature_(signature), platform_(platform) {
        record_.time = std::chrono::system_clock::now();
        record_.action = plan.action;
        record_.client = plan.client;
        record_.clientReason = plan.clientReason;
    }

    LaunchRecord Run() {
        const bool debug = plan_.debugUrl.has_value();
        // A link refused for its signature gets no debug alert: nothing of
        // its text is shown.
        urlShown_ = true;
        if (const GatewayDecision link = DecideLink(config_.signing, signature_);
            link.verdict == GatewayDecision::Refused)
            return Refuse(link);
        urlShown_ = !debug;
        if (plan_.refusal)
            return Refuse(plan_.refusal->outcome, plan_.refusal->detail, plan_.refusal->title,
                          plan_.refusal->message);
        // Whatever writes or runs connects somewhere: a plan that says not
        // where would skip the gateway decision, so it does nothing.
        if (!plan_.destination && (plan_.command || !plan_.files.empty())) {
            ShowUrl();
            platform_.log.Write("Not run: the plan names no destination");
            record_.outcome = Outcome::NotRun;
            return record_;
        }
        if (plan_.destination && !Permitted(*plan_.destination)) return record_;
        ShowUrl();
        bool fileMissing = false;
        std::vector<std::string> written;
        for (const FileToWrite& file : plan_.files) {
            if (Write(file)) {
                if (file.removedOnceRead) written.push_back(file.path);
                continue;
            }
            if (file.neededByCommand) {
                record_.outcome = Outcome::WriteFailed;
                RemoveOnceRead(written);
                return record_;
            }
            fileMissing = true;
        }
        RemoveOnceRead(written);
        if (plan_.handover) Offer(*plan_.handover);
        if (!plan_.passwordToType.empty())
            record_.detail = "the password is to be typed: " + plan_.passwordToType;
        if (plan_.command) {
            if (debug && plan_.command->debugShown)
                Alert(platform_, titles::kDebug, LineOf(*plan_.command, true));
            const bool asks = plan_.command->asksOnTerminal && plan_.destination;
            runcmd(*plan_.command, asks ? plan_.destination->address : "", fileMissing);
        }
        return record_;
    }

  private:
    LaunchRecord Refuse(Outcome outcome, std::string detail, const std::string& title,
                        const std::string& message) {
        ShowUrl();
        record_.outcome = outcome;
        record_.detail = std::move(detail);
        Alert(platform_, title, message);
        return record_;
    }

    LaunchRecord Refuse(const GatewayDecision& refused) {
        ShowUrl();
        if (!refused.log.empty()) platform_.log.Write(refused.log);
        return Refuse(Outcome::Refused, refused.detail, titles::kSorry, refused.alert);
    }

    // The debug alert of the URL, once. When the launch asks the trust
    // question it comes after a yes: a dialog whose text the link chooses,
    // shown first, could tell the user how to answer ("tick always trust").
    void ShowUrl() {
        if (!std::exchange(urlShown_, true)) Alert(platform_, titles::kDebug, *plan_.debugUrl);
    }

    // Whether the launch may connect: the gateway decision allows it, or
    // asks, and the user answers the trust question with connect.
    bool Permitted(const Destination& destination) {
        const std::string& host = destination.host;
        const GatewayDecision gateway = DecideGateway(config_, destination, signature_,
                                                      platform_.preferences, platform_.usedLinks);
        std::string& decided = record_.gateway;
        decided = gateway.line;
        if (gateway.verdict == GatewayDecision::Refused) {
            Refuse(gateway);
            return false;
        }
        if (gateway.verdict == GatewayDecision::Allowed) return true;

        // Asked even when alerts are silenced: "don't show again" on some
        // alert must never hand a new host the user's drives unasked.
        const Question question = TrustQuestion(destination, gateway.granted, gateway.unsignedLink);
        const Answer answer = platform_.alerts.Ask(question);
        if (answer == Answer::Cancel) {
            decided += ": cancelled";
            record_.outcome = Outcome::Cancelled;
            record_.detail = host;
            return false;
        }
        decided += ": connect";
        if (answer == Answer::ConnectAlways && !host.empty() && !question.always.empty()) {
            std::string why;
            if (TrustAlways(platform_.preferences, destination, &why)) {
                decided += ", trusted from now on";
            } else {
                decided += ", but not trusted from now on: " + why;
                platform_.log.Write("Trusted host not kept: " + why);
            }
        }
        return true;
    }

    bool Write(const FileToWrite& file) {
        std::string why;
        if (platform_.files.WriteFile(file.path, file.text, file.mode, &why)) return true;
        platform_.log.Write("Not written: " + file.path + ": " + why);
        record_.detail = file.path;
        Alert(platform_, titles::kSorry, file.failureAlert);
        return false;
    }

    // Watched from before the client starts, so that its reading is seen.
    // Without the watch the file goes at the next launch or start.
    void RemoveOnceRead(const std::vector<std::string>& paths) {
        std::string removed;
        for (const std::string& path : paths) {
            std::string why;
            if (platform_.background.RemoveOnceRead(path, kReadWithin, &why)) {
                removed +=
                    (removed.empty() ? "" : ", ") + std::string(BaseName(path, plan_.separator));
            } else {
                platform_.log.Write("Not removed once read: " + path + ": " + why);
            }
        }
        // The history says where the password went, unless it says why the
        // launch failed.
        if (!removed.empty() && record_.detail.empty())
            record_.detail = removed + " removed once read";
    }

    // Without the handover the client still runs, and asks the user.
    void Offer(const Handover& handover) {
        std::string why;
        if (platform_.background.ServeHandover(handover, &why)) return;
        platform_.log.Write("Password not handed over: " + why);
        record_.detail = "the password is to be typed: " + why;
    }

    void runcmd(const Command& command, const std::string& certificateHost, bool fileMissing) {
        // No system hands a program a word past its first NUL byte: the
        // client would be given another command than the one that was built.
        const std::vector<std::string> argv = ArgvOf(command);
        if (std::any_of(argv.begin(), argv.end(),
                        [](const std::string& word) { return word.find('\0') != word.npos; })) {
            platform_.log.Write("Command not run: the command line holds a NUL byte");
            record_.outcome = Outcome::NotRun;
            return;
        }
        // Its watcher is handed the pass line before the client starts: of a
        // client that outlives this pass, it writes the line itself.
        record_.outcome = fileMissing ? Outcome::LaunchedWithoutFile : Outcome::Launched;
        record_.alertsSilenced = AlertsSuppressed(platform_);
        const CommandResult result =
            platform_.shell.Run(command, ClientWatch{certificateHost, PassLineParts(record_)});
        if (!result.notRun.empty()) {
            platform_.log.Write("Command not run: " + result.notRun);
            record_.outcome = Outcome::NotRun;
            // Why, over where a password file went: the pass log is where it is looked for.
            record_.detail = result.notRun;
        } else if (result.stillStarting) {
            platform_.log.Write("Client still starting, no longer waited for: " + plan_.client);
            record_.outcome = Outcome::StillStarting;
        } else if (result.failedAtOnce) {
            record_.outcome = Outcome::ClientFailed;
            Alert(platform_, titles::kSorry,
                  ClientFailedMessage(plan_.client, result.errorOutput, certificateHost));
        } else {
            record_.watched = result.watched;
        }
    }

    const Plan& plan_;
    const Configuration& config_;
    const LinkSignature& signature_;
    Platform& platform_;
    LaunchRecord record_;
    bool urlShown_ = true;
};

}  // namespace

LaunchRecord Execute(const Plan& plan, const Configuration& config, const LinkSignature& signature,
                     Platform& platform) {
    return Execution(plan, config, signature, platform).Run();
}

}  // namespace torvale
