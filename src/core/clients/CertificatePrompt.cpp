#include "core/clients/CertificatePrompt.h"

#include "base/Printable.h"
#include "base/Text.h"

namespace torvale {
namespace {

// What FreeRDP says of the certificate it asks about. Every name in it is
// the server's choice.
struct CertificatePrompt {
    std::string subject;  // as FreeRDP prints them
    std::string issuer;
    std::string fingerprint;  // SHA-256, "aa:bb:…"
    // Of a changed certificate, the fingerprint of the one FreeRDP knew for
    // the host; empty for one it cannot verify.
    std::string oldFingerprint;
};

// A name the server chose may be long: shown whole up to here.
constexpr std::size_t kNameLimit = 300;

constexpr std::string_view kTrustPrompt = "Do you trust the above certificate? (Y/T/N) ";
// What FreeRDP 2 and 3 write between a certificate's details and their
// question, blank lines aside.
constexpr std::string_view kUnverified =
    "The above X.509 certificate could not be verified, possibly because you do not have\n"
    "the CA certificate in your certificate store, or the certificate has expired.\n"
    "Please look at the OpenSSL documentation on how to add a private CA to the store.";
constexpr std::string_view kChanged =
    "The above X.509 certificate does not match the certificate used for previous "
    "connections.\nThis may indicate that the certificate has been tampered with.\n"
    "Please contact the administrator of the RDP server and clarify.";

// Takes the last line off `text`.
std::string_view PopLine(std::string_view& text) {
    const std::size_t newline = text.rfind('\n');
    const std::string_view line = newline == text.npos ? text : text.substr(newline + 1);
    text = newline == text.npos ? std::string_view() : text.substr(0, newline);
    return line;
}

// The value of the last line of `text`, which must be "\t<label>:", without
// its padding; it is taken off.
std::optional<std::string> PopField(std::string_view& text, std::string_view label) {
    std::string_view line = PopLine(text);
    if (!line.starts_with('\t') || !line.substr(1).starts_with(label) ||
        line.substr(1 + label.size(), 1) != ":")
        return std::nullopt;
    line.remove_prefix(label.size() + 2);
    while (line.starts_with(' '))
        line.remove_prefix(1);
    return std::string(line);
}

void DropBlankLines(std::string_view& text) {
    while (text.ends_with('\n'))
        text.remove_suffix(1);
}

// Subject, issuer and SHA-256 fingerprint, the last lines of `text`.
std::optional<CertificatePrompt> PopDetails(std::string_view& text) {
    const auto fingerprint = PopField(text, "Thumbprint");
    // FreeRDP 3, given the whole certificate, says its validity between.
    if (std::string_view rest = text; PopField(rest, "Valid to") && PopField(rest, "Valid from"))
        text = rest;
    const auto issuer = PopField(text, "Issuer");
    const auto subject = PopField(text, "Subject");
    if (!subject || !issuer || !fingerprint) return std::nullopt;
    return CertificatePrompt{*subject, *issuer, *fingerprint, {}};
}

// 32 bytes as FreeRDP writes them: two hexadecimal digits each, ':' between.
bool IsSha256Fingerprint(std::string_view text) {
    if (text.size() != 32 * 3 - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % 3 == 2 ? text[i] != ':' : !IsHexDigit(text[i])) return false;
    }
    return true;
}

// The last line FreeRDP wrote, its padding aside, where it asks for a line.
std::string_view LastLine(std::string_view output) {
    std::string_view line = PopLine(output);
    while (line.ends_with(' '))
        line.remove_suffix(1);
    return line;
}

// A yes-or-no question (FreeRDP 3 asks one of a gateway's policy, and ends
// it with a line feed).
bool YesOrNo(std::string_view output) {
    return output.ends_with("(Y/N) ") || output.ends_with("(Y/N) \n");
}

// FreeRDP's question, where `output` (what it wrote so far) ends with one;
// nothing where it does not, or where the certificate cannot be read whole.
// It is read from the end, in the lines FreeRDP itself writes there: the
// certificate's common name above them is written unescaped, and could
// stand for any text, another certificate's details too.
std::optional<CertificatePrompt> ReadCertificatePrompt(std::string_view output) {
    if (!output.ends_with(kTrustPrompt)) return std::nullopt;
    output.remove_suffix(kTrustPrompt.size());
    DropBlankLines(output);
    const bool changed = output.ends_with(kChanged);
    if (!changed && !output.ends_with(kUnverified)) return std::nullopt;
    output.remove_suffix((changed ? kChanged : kUnverified).size());
    if (!output.ends_with('\n')) return std::nullopt;
    DropBlankLines(output);
    // Of a changed certificate, the one FreeRDP knew comes last: it is shown
    // beside the new one, so it too must be read whole.
    std::optional<CertificatePrompt> known;
    if (changed) {
        known = PopDetails(output);
        if (!known || !IsSha256Fingerprint(known->fingerprint) ||
            PopLine(output) != "Old Certificate details:")
            return std::nullopt;
    }
    DropBlankLines(output);
    auto prompt = PopDetails(output);
    if (!prompt || !IsSha256Fingerprint(prompt->fingerprint)) return std::nullopt;
    if (known) prompt->oldFingerprint = known->fingerprint;
    return prompt;
}

// How many lines of `text` begin with `prefix`.
std::size_t LinesStartingWith(std::string_view text, std::string_view prefix) {
    std::size_t count = 0;
    for (std::size_t at = 0;; ++at) {
        if (text.substr(at).starts_with(prefix)) ++count;
        at = text.find('\n', at);
        if (at == text.npos) return count;
    }
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != text.npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Whether what FreeRDP writes once for one question stands once in
// `output`: its heading, each certificate's fingerprint, the question. A
// common name that holds a certificate's details of its own adds some.
bool WrittenOnce(std::string_view output, bool changed) {
    const std::size_t headings =
        LinesStartingWith(output, "Certificate details for ") + LinesStartingWith(output, "!!!");
    const std::size_t parts = LinesStartingWith(output, "New Certificate details:") +
                              LinesStartingWith(output, "Old Certificate details:");
    return headings == 1 && parts == (changed ? 2u : 0u) &&
           LinesStartingWith(output, "\tThumbprint:") == (changed ? 2u : 1u) &&
           Occurrences(output, kTrustPrompt) == 1;
}

// A fingerprint as `openssl x509 -noout -fingerprint -sha256` writes it,
// in capitals, on two lines of 16 bytes: each far narrower than the dialog's
// 80 characters, so the dialog never wraps one inside a byte.
std::string FingerprintLines(std::string_view fingerprint) {
    std::string lines;
    for (std::size_t i = 0; i < fingerprint.size(); ++i) {
        const char c = fingerprint[i];
        lines += c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
        if (i == 16 * 3 - 1) lines += '\n';
    }
    return lines;
}

// The dialog "确认证书": connect once, or with the box ticked always, and
// cancel, the default. Trusting from now on is the box's, not a button's of
// its own beside "取消": a key pressed by habit does not reach it.
Question CertificateQuestion(const std::string& host, const CertificatePrompt& prompt) {
    const bool changed = !prompt.oldFingerprint.empty();
    std::string message = changed ? "此主机的证书与上次不同，可能有人在冒充它。\n"
                                  : "FreeRDP 无法验证此主机出示的证书。\n";
    message += "主机：" + Printable(host) + "\n";
    message += "以下是服务器出示的证书，其中的名称由服务器自己选定：\n";
    message += "主体：" + Printable(prompt.subject, kNameLimit) + "\n";
    message += "颁发者：" + Printable(prompt.issuer, kNameLimit) + "\n";
    message += changed ? "SHA-256 指纹（这次出示的）：\n" : "SHA-256 指纹：\n";
    message += FingerprintLines(prompt.fingerprint) + "\n";
    if (changed)
        message +=
            "SHA-256 指纹（上次信任的）：\n" + FingerprintLines(prompt.oldFingerprint) + "\n";
    message += "只有在指纹与网关管理员给您的相符时才信任它。";
    return {"确认证书", message, "连接", "取消", "始终信任此证书"};
}

}  // namespace

std::string ForgedCertificateMessage(const std::string& host) {
    return "此主机出示的证书中，由服务器选定的名称里夹带了另一份证书的内容，无法确定哪个指纹是真的"
           "。"
           "已拒绝此证书，没有连接。\n主机：" +
           Printable(host) + "\n请将此事告知网关管理员：他们的服务器或通往它的网络可能已被人冒充。";
}

bool EndsWithPrompt(std::string_view output) {
    const std::string_view line = LastLine(output);
    return output.ends_with(kTrustPrompt) || YesOrNo(output) || line == "Username:" ||
           line == "Domain:" || line == "Password:";
}

std::optional<PromptReply> ReplyToPrompt(std::string_view output, const std::string& host,
                                         const std::function<Answer(const Question&)>& ask) {
    if (!EndsWithPrompt(output)) return std::nullopt;
    if (output.ends_with(kTrustPrompt)) {
        // One that cannot be read is refused unasked: the client's alert
        // then shows FreeRDP's own words.
        const auto prompt = ReadCertificatePrompt(output);
        if (!prompt) return PromptReply{"N\n"};
        if (!WrittenOnce(output, !prompt->oldFingerprint.empty()))
            return PromptReply{"N\n", false, true};
        switch (ask(CertificateQuestion(host, *prompt))) {
            case Answer::Connect:
                return PromptReply{"T\n"};
            case Answer::ConnectAlways:
                return PromptReply{"Y\n"};
            case Answer::Cancel:
                break;
        }
        return PromptReply{"N\n", true};
    }
    if (YesOrNo(output)) return PromptReply{"N\n"};
    // Control-D: the end of input of a terminal.
    return PromptReply{"\x04"};
}

}  // namespace torvale
