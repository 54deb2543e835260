#include "core/clients/CertificatePrompt.h"

#include "base/Printable.h"
#include "base/Text.h"

namespace torvale {
namespace {

// A name the server chose may be long: shown whole up to here.
constexpr std::size_t kNameLimit = 300;

constexpr std::string_view kTrustPrompt = "Do you trust the above certificate? (Y/T/N) ";
constexpr std::string_view kDetails = "Certificate details for ";
constexpr std::string_view kChanged = "!!!Certificate for ";

// The value of the first "\t<label>:" line of `block`, without its padding.
std::optional<std::string> Field(std::string_view block, std::string_view label) {
    for (const std::string_view line : Split(block, '\n')) {
        if (!line.starts_with('\t') || !line.substr(1).starts_with(label)) continue;
        std::string_view value = line.substr(1 + label.size());
        if (!value.starts_with(':')) continue;
        value.remove_prefix(1);
        while (value.starts_with(' '))
            value.remove_prefix(1);
        return std::string(value);
    }
    return std::nullopt;
}

// 32 bytes as FreeRDP writes them: two hexadecimal digits each, ':' between.
bool IsSha256Fingerprint(std::string_view text) {
    if (text.size() != 32 * 3 - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % 3 == 2 ? text[i] != ':' : !IsHexDigit(text[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<CertificatePrompt> ReadCertificatePrompt(std::string_view output) {
    if (!output.ends_with(kTrustPrompt)) return std::nullopt;
    output.remove_suffix(kTrustPrompt.size());
    // The header of the last certificate shown; of a changed one, the new
    // certificate's details come first.
    const std::size_t details = output.rfind(kDetails), changed = output.rfind(kChanged);
    const bool isChanged = changed != std::string_view::npos &&
                           (details == std::string_view::npos || changed > details);
    const std::size_t header = isChanged ? changed : details;
    if (header == std::string_view::npos) return std::nullopt;
    std::string_view block = output.substr(header + (isChanged ? kChanged : kDetails).size());
    const std::size_t hostEnd = block.find(" (");
    if (hostEnd == std::string_view::npos || block.substr(0, hostEnd).find('\n') != block.npos)
        return std::nullopt;
    const auto subject = Field(block, "Subject"), issuer = Field(block, "Issuer");
    const auto fingerprint = Field(block, "Thumbprint");
    if (!subject || !issuer || !fingerprint || !IsSha256Fingerprint(*fingerprint))
        return std::nullopt;
    return CertificatePrompt{std::string(block.substr(0, hostEnd)), *subject, *issuer, *fingerprint,
                             isChanged};
}

Question CertificateQuestion(const CertificatePrompt& prompt) {
    std::string message = prompt.changed ? "此主机的证书与上次不同，可能有人在冒充它。\n"
                                         : "FreeRDP 无法验证此主机出示的证书。\n";
    message += "主机：" + Printable(prompt.host) + "\n";
    message += "以下是服务器出示的证书，其中的名称由服务器自己选定：\n";
    message += "主体：" + Printable(prompt.subject, kNameLimit) + "\n";
    message += "颁发者：" + Printable(prompt.issuer, kNameLimit) + "\n";
    message += "SHA-256 指纹：" + prompt.fingerprint + "\n";
    message += "只有在指纹与网关管理员给您的相符时才信任它。";
    return {"确认证书", message, "仅此一次", "取消", "", "始终信任"};
}

std::optional<PromptReply> ReplyToPrompt(std::string_view output,
                                         const std::function<Answer(const Question&)>& ask) {
    if (output.ends_with(kTrustPrompt)) {
        const auto prompt = ReadCertificatePrompt(output);
        switch (prompt ? ask(CertificateQuestion(*prompt)) : Answer::Cancel) {
            case Answer::Connect:
                return PromptReply{"T\n"};
            case Answer::ConnectAlways:
                return PromptReply{"Y\n"};
            case Answer::Cancel:
                break;
        }
        return PromptReply{"N\n", true};
    }
    // Control-D: the end of input of a terminal.
    if (EndsWithPrompt(output)) return PromptReply{"\x04"};
    return std::nullopt;
}

bool EndsWithPrompt(std::string_view output) {
    for (const std::string_view prompt :
         {kTrustPrompt, std::string_view("Username: "), std::string_view("Domain: "),
          std::string_view("Password: ")}) {
        if (output.ends_with(prompt)) return true;
    }
    return false;
}

}  // namespace torvale
