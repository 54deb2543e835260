#pragma once

// Links the gateway signed. The gateway appends "kid=KEY&exp=TIME&nonce=N&
// sig=SIGNATURE&" to a launch link; the signature (ES256, r‖s in base64url)
// is of "torvale-link-v1", a line feed and the decoded field text up to and
// including the "&" before "sig=". A link it verifies is the gateway's own
// and connects without the trust question; a link that claims a signature
// and fails it never launches.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/Configuration.h"
#include "core/ports/Preferences.h"
#include "core/ports/SignatureVerifier.h"
#include "core/request/Request.h"

namespace torvale {

// What a link's signature fields say, checked.
struct LinkSignature {
    enum Verdict { None, Valid, Invalid };
    Verdict verdict = None;
    std::string kid;
    std::int64_t exp = 0;
    std::string nonce;
    std::int64_t checkedAt = 0;  // seconds since 1970
    // Invalid: the alert's message, and why for the log ("expired 5 s ago").
    std::string alert;
    std::string why;
};

// The alerts of a link whose signature holds but which can no longer be
// used: the signature is not at fault, and the portal page hands out a new
// link.
inline constexpr char kExpiredLinkAlert[] = "此链接已过期\n请从门户页面重新打开链接";
inline constexpr char kUsedLinkAlert[] = "此链接已被使用过\n请从门户页面重新打开链接";

// Where the used links are kept, as "NONCE EXP" entries.
inline constexpr char kUsedLinks[] = "UsedLinks";
// The most of them a check reads at once: ten thousand links a day and
// more, at max_age's longest. Marking a link used reads them whole, and
// drops those expired, whatever their size.
inline constexpr std::size_t kUsedLinksLimit = 1 << 20;

// Checks the link's signature fields at `now` against the keys, the
// policy's longest life and the links already used (read only for a link
// that gets that far); changes nothing.
LinkSignature CheckLinkSignature(const Field& fieldText, const SigningPolicy& policy,
                                 SignatureVerifier& verifier, Preferences& usedLinks,
                                 std::int64_t now);

// Marks a valid link used until it expires, in one step with the check that
// it was not used before, so that of two passes of one link one launches;
// entries that have expired go. True when it is marked now, false when it
// was used before; nothing, saying why, when it cannot be marked.
std::optional<bool> ClaimLink(Preferences& used, const LinkSignature& link, std::string* err);

}  // namespace torvale
