#include "core/signing/LinkSignature.h"

#include <algorithm>
#include <charconv>

#include "base/Base64.h"
#include "base/Es256.h"
#include "base/Fail.h"
#include "base/Text.h"

namespace torvale {
namespace {

constexpr std::string_view kSignedHead = "torvale-link-v1\n";
// How far the gateway's clock may run ahead of this one's.
constexpr std::int64_t kClockDifference = 60;

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != text.npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

LinkSignature Refused(LinkSignature link, std::string alert, std::string why) {
    link.verdict = LinkSignature::Invalid;
    link.alert = std::move(alert);
    link.why = std::move(why);
    return link;
}

// A signature that fails, for `reason`: the link may not be the gateway's.
LinkSignature Forged(LinkSignature link, std::string_view reason, std::string why) {
    return Refused(std::move(link), "此链接的网关签名无效：" + std::string(reason), std::move(why));
}

// The entries of the used links that have not expired at `now`.
std::vector<std::string> Unexpired(std::vector<std::string> used, std::int64_t now) {
    std::erase_if(used, [now](const std::string& entry) {
        const std::size_t blank = entry.find(' ');
        std::int64_t exp = 0;
        const char* end = entry.data() + entry.size();
        return blank == entry.npos ||
               std::from_chars(entry.data() + blank + 1, end, exp).ptr != end || exp < now;
    });
    return used;
}

bool Holds(const std::vector<std::string>& used, std::string_view nonce) {
    return std::any_of(used.begin(), used.end(), [&](std::string_view entry) {
        return entry.substr(0, entry.find(' ')) == nonce;
    });
}

}  // namespace

LinkSignature CheckLinkSignature(const Field& fieldText, const SigningPolicy& policy,
                                 SignatureVerifier& verifier, Preferences& usedLinks,
                                 std::int64_t now) {
    LinkSignature link;
    link.checkedAt = now;
    if (!fieldText) return link;
    const std::string& text = *fieldText;
    auto field = [](std::string_view key) { return "&" + std::string(key) + "="; };
    if (std::none_of(kSigningFields.begin(), kSigningFields.end(),
                     [&](std::string_view key) { return text.find(field(key)) != text.npos; }))
        return link;

    // Every launch parameter is read from the signed part: nothing but the
    // signature may follow it.
    for (const std::string_view key : kSigningFields) {
        if (Count(text, field(key)) != 1)
            return Forged(link, "格式有误",
                          "malformed: " + std::string(key) + " is not given exactly once");
    }
    const std::size_t sigAt = text.find("&sig=");
    const std::size_t sigEnd = std::min(text.find('&', sigAt + 1), text.size());
    if (text.substr(sigEnd) != "&" && sigEnd != text.size())
        return Forged(link, "格式有误", "malformed: the signature is not the last field");
    link.kid = Str(GetFromUrl(fieldText, "kid"));
    link.nonce = Str(GetFromUrl(fieldText, "nonce"));
    const std::string exp = Str(GetFromUrl(fieldText, "exp"));
    const auto signature = DecodeBase64Url(text.substr(sigAt + 5, sigEnd - sigAt - 5));
    std::string der;
    const bool expRead =
        !exp.empty() && exp.size() <= 18 && std::all_of(exp.begin(), exp.end(), IsDigit) &&
        std::from_chars(exp.data(), exp.data() + exp.size(), link.exp).ec == std::errc();
    if (!IsKeyName(link.kid) || !IsToken(link.nonce, 16, 64) || !expRead || !signature ||
        !SignatureToDer(*signature, &der)) {
        // None of them is told back: any could be anything.
        link.kid.clear();
        link.nonce.clear();
        link.exp = 0;
        return Forged(link, "格式有误", "malformed: kid, exp, nonce or sig");
    }

    const auto key = std::find_if(policy.keys.begin(), policy.keys.end(),
                                  [&](const SigningKey& k) { return k.name == link.kid; });
    // The kid is a key name by now: nothing in it to escape.
    if (key == policy.keys.end())
        return Forged(link, "未知的密钥 " + link.kid, "no key is named " + link.kid);
    const std::string message = std::string(kSignedHead) + text.substr(0, sigAt + 1);
    std::string why;
    if (!verifier.VerifyEs256(key->der, message, der, &why))
        return Forged(link, "签名不符", "the signature does not match: " + why);
    if (now > link.exp)
        return Refused(link, kExpiredLinkAlert,
                       "expired " + std::to_string(now - link.exp) + " s ago");
    if (link.exp - now > policy.MaxAge() + kClockDifference)
        return Forged(link, "有效期过长",
                      "valid for " + std::to_string(link.exp - now) + " s, beyond max_age " +
                          std::to_string(policy.MaxAge()));
    if (Holds(Unexpired(usedLinks.GetList(kUsedLinks), now), link.nonce))
        return Refused(link, kUsedLinkAlert, "used before");
    link.verdict = LinkSignature::Valid;
    return link;
}

std::optional<bool> ClaimLink(Preferences& used, const LinkSignature& link, std::string* err) {
    bool usedBefore = false;
    auto change = [&](std::vector<std::string> entries) {
        entries = Unexpired(std::move(entries), link.checkedAt);
        if (Holds(entries, link.nonce)) {
            usedBefore = true;
        } else {
            entries.push_back(link.nonce + " " + std::to_string(link.exp));
        }
        return entries;
    };
    // A link seen used is refused as used, whether or not the list could
    // then be written.
    std::string why;
    const bool updated = used.UpdateList(kUsedLinks, change, &why);
    if (usedBefore) return false;
    if (updated) return true;
    Fail(err, std::move(why));
    return std::nullopt;
}

}  // namespace torvale
