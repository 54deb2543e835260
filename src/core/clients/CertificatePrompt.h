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

// What FreeRDP says of the certificate it asks about. Every name in it is
// the server's choice.
struct CertificatePrompt {
    std::string subject;  // as FreeRDP prints them
    std::string issuer;
    std::string fingerprint;  // SHA-256, "aa:bb:…"
    bool changed = false;     // FreeRDP knew another certificate for the host
};

// FreeRDP's question, where `output` (what it wrote so far) ends with one;
// nothing where it does not, or where the certificate cannot be read whole.
// It is read from the end, in the lines FreeRDP itself writes there: the
// certificate's common name above them is written unescaped, and could
// stand for any text, another certificate's details too.
std::optional<CertificatePrompt> ReadCertificatePrompt(std::string_view output);

// The dialog "确认证书" about the certificate of `host` ("HOST:PORT", as the
// trust question names it): its answers are once, always, and cancel, the
// default.
Question CertificateQuestion(const std::string& host, const CertificatePrompt& prompt);

// Whether FreeRDP, having written `output`, waits for an answer.
bool EndsWithPrompt(std::string_view output);

// What to type to FreeRDP, where `output` ends with a question of its: for a
// certificate, the user's answer to our dialog (`ask`), or "N" where the
// certificate cannot be read whole; "N" to any other yes-or-no question; an
// end of input to any other question (its login name, its domain), as
// standard input on /dev/null would give.
struct PromptReply {
    std::string typed;
    bool refused = false;  // the user did not trust the certificate
};
std::optional<PromptReply> ReplyToPrompt(std::string_view output, const std::string& host,
                                         const std::function<Answer(const Question&)>& ask);

}  // namespace torvale
