#pragma once

// The gateway decision, made here and nowhere else: whether a link may
// launch at all, as its signature and the signing policy say; whether it
// may connect to its host, as an administrator's allow-list, the signature
// or the user's trust says, and the claim that a signed link is used; and
// the question a launch asks before it connects to a host that none of
// them decides for. The executor carries the verdict out.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Configuration.h"
#include "core/plan/Plan.h"
#include "core/ports/AlertPanel.h"
#include "core/ports/Preferences.h"
#include "core/signing/LinkSignature.h"

namespace torvale {

// Where the user's trusted hosts are kept among the preferences.
inline constexpr char kTrustedGateways[] = "TrustedGateways";

// What a launch shares of this machine with its host, as far as trust goes.
struct Sharing {
    bool clipboard = false;
    bool drives = false;
};
Sharing SharingOf(const Destination& destination);

// The hosts the user chose to trust always, in the order trusted, each kept
// as "HOST" and ",clipboard" and ",drives" for what the user agreed to
// share with it ("gw.example,clipboard": no host holds a comma); adding one and
// forgetting them all, false with the reason when the change is not kept.
std::vector<std::string> TrustedGateways(Preferences& preferences);
bool TrustAlways(Preferences& preferences, const Destination& destination, std::string* err);
bool ForgetGateways(Preferences& preferences, std::string* err);

// Whether a launch may go on, and why; where it may not, what its pass
// records and the user is told.
struct GatewayDecision {
    enum Verdict { Allowed, Ask, Refused };
    Verdict verdict;
    std::string_view reason = {};  // "allowed, listed", "refused, not listed", ...
    // The most the user agreed to share with the host; nothing when the host
    // is not trusted.
    std::optional<Sharing> granted = {};
    // Asked because the link is not signed, where keys say it should be.
    bool unsignedLink = false;
    // Of a host: "HOST: REASON", and " by KID" for a signed link.
    std::string line = {};
    // Refused: the pass's detail, the alert's message, and a log line where
    // this machine, not the link, is at fault.
    std::string detail = {};
    std::string alert = {};
    std::string log = {};
};

// The link itself, before anything it asks for is looked at: a signature
// that fails, has expired or was used, or none where the policy requires
// one, refuses it; any other link goes on (Allowed).
GatewayDecision DecideLink(const SigningPolicy& policy, const LinkSignature& link);

// The host. A file in error refuses every host, and an administrator's
// allow-list refuses every host it does not list. Then a link the gateway
// signed is allowed; an unsigned one, where the signing policy says to ask,
// is asked about whatever was trusted or listed before. Then a listed host
// is allowed; without a list a host the user trusted (as TrustedGateways
// keeps them in `preferences`) with what the launch shares is allowed, and
// any other one is asked about. A signed link that is allowed is marked used
// among `usedLinks` here, in one step with the check, so that of two passes
// of one link (a double click, a replay) exactly one goes on: one used
// before, or that cannot be marked, is refused.
GatewayDecision DecideGateway(const Configuration& config, const Destination& destination,
                              const LinkSignature& link, Preferences& preferences,
                              Preferences& usedLinks);

// The question, every value in it escaped as alerts escape them; for a host
// trusted with less than the launch shares, it says what it would share anew.
// Of an unsigned link it says so first, and offers no trust from now on:
// the next unsigned link is asked about again.
Question TrustQuestion(const Destination& destination,
                       const std::optional<Sharing>& granted = std::nullopt,
                       bool unsignedLink = false);

}  // namespace torvale
