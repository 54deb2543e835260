#pragma once

// FreeRDP asks on its terminal whether to trust a server's certificate that
// it cannot verify, and stops until it is answered: "Y" trusts it from now
// on (FreeRDP keeps it in its own store), "T" for this connection only, "N"
// not. Its question is read here, and put to the user as a dialog of ours.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports/AlertPanel.h"

namespace torvale {

// Whether FreeRDP, having written `output`, waits for an answer.
bool EndsWithPrompt(std::string_view output);

// What to type to FreeRDP, where `output`, everything it wrote since it
// started or since its last question was answered, ends with a question of
// its: for a certificate, the user's answer to our dialog "确认证书" (`ask`),
// which names `host` ("HOST:PORT", as the trust question names it) and shows
// the certificate's SHA-256 fingerprint as openssl writes one, and of a
// certificate that replaces one FreeRDP knew, that one's fingerprint too:
// "T" for its connect button, "Y" with its box "始终信任此证书" ticked, "N"
// for cancel; "N", unasked, where a certificate cannot be read whole, or
// where what FreeRDP writes once for a question stands there twice (the
// certificate's common name, which FreeRDP writes unescaped, held a
// certificate of the server's making); "N" to any other yes-or-no question;
// an end of input to any other question (its login name, its domain), as
// standard input on /dev/null would give.
struct PromptReply {
    std::string typed;
    bool refused = false;  // the user did not trust the certificate
    bool forged = false;   // the question held a certificate of the server's making
};
std::optional<PromptReply> ReplyToPrompt(std::string_view output, const std::string& host,
                                         const std::function<Answer(const Question&)>& ask);

// The alert of a certificate question refused as forged, for `host`.
std::string ForgedCertificateMessage(const std::string& host);

}  // namespace torvale
