#include "core/request/LinkWarnings.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/Masking.h"
#include "base/Printable.h"
#include "base/Text.h"
#include "core/request/Request.h"

namespace torvale {
namespace {

constexpr std::string_view kScheme = "torvale://";

const std::vector<std::string_view>& KnownKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> all;
        for (const LaunchParameter& parameter : kLaunchParameters)
            all.push_back(parameter.key);
        all.insert(all.end(), kSigningFields.begin(), kSigningFields.end());
        return all;
    }();
    return keys;
}

// What Chromium 156 and Firefox ESR 153 do with a raw character in a
// link's value, as clicked: both block a link with a raw ":" (a port's
// digits after it too), a blank or any of < > \ ^ | [ ]; both write non-ASCII
// text, " ` { } percent-encoded, and every "=" before a raw "@" as "%3D";
// Chromium writes a "%" that starts no escape as "%25". Only A-Z a-z 0-9 and
// - . _ ~ ! $ ' ( ) * + , / ; ? # and escapes pass as written. A control
// character no URL may hold raw.
std::string RawTrouble(std::string_view value) {
    constexpr std::string_view kRewritten = "@\"`{}";
    constexpr std::string_view kBlocked = ":<>\\^|[]";
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) return "raw non-ASCII text";
        if (c == ' ') return "a raw space";
        if (byte < 0x20 || byte == 0x7F) return "a raw control character";
        const bool escape =
            i + 2 < value.size() && IsHexDigit(value[i + 1]) && IsHexDigit(value[i + 2]);
        if (c == '%' && !escape) return "a raw \"%\" that starts no escape";
        if (kRewritten.find(c) != kRewritten.npos || kBlocked.find(c) != kBlocked.npos)
            return "a raw \"" + std::string(1, c) + "\"";
    }
    return {};
}

}  // namespace

std::string UnreadHeadWarning(std::string_view fieldText) {
    const std::string_view head = fieldText.substr(0, fieldText.find('&'));
    const std::size_t equals = head.find('=');
    if (equals == head.npos) return {};
    return Printable(head.substr(0, equals)) +
           " stands before the first \"&\" and is never read: begin the link with torvale://&";
}

std::vector<std::string> LinkWarnings(std::string_view urlText) {
    std::vector<std::string> warnings;
    if (!urlText.starts_with(kScheme)) {
        warnings.push_back(
            "the URL does not begin with torvale://: its first 10 characters are "
            "dropped as if they were that head");
    }
    // Fields as the page wrote them, before any decoding; the pass decodes
    // first and splits after, so a key counts here as written too. What
    // stands before the first "&" is no field, and a field is closed by the
    // next "&".
    std::map<std::string, int, std::less<>> seen;
    std::string_view rest = urlText.substr(std::min(urlText.size(), kScheme.size()));
    const std::size_t first = rest.find('&');
    if (std::string unread = UnreadHeadWarning(rest); !unread.empty())
        warnings.push_back(std::move(unread));
    rest = first == std::string_view::npos ? std::string_view() : rest.substr(first + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view field = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        const std::string key(field.substr(0, equals));
        // A browser reads the link whole: a value unclosed is clicked too.
        if (const std::string trouble = RawTrouble(field.substr(equals + 1)); !trouble.empty()) {
            warnings.push_back("the value of " + Printable(key) + " holds " + trouble +
                               ", which browsers block or rewrite: percent-encode every value "
                               "as UTF-8");
        }
        if (amp == std::string_view::npos) {
            warnings.push_back(Printable(key) +
                               " has no closing \"&\", so it reads as empty: end the link with "
                               "\"&\"");
            continue;
        }
        // Keys are found whole and in their exact case: any other is never
        // read. A signed link's own fields are read, by the signature check.
        const auto& keys = KnownKeys();
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            std::string warning = Printable(key) + " is no launch parameter and is never read";
            if (const std::string_view meant = Nearest(key, KnownKeys()); !meant.empty())
                warning += ": did you mean " + std::string(meant) + "?";
            warnings.push_back(warning);
        }
        // "%26" decodes to "&" before the field text is split: it ends the value.
        const std::string_view value = field.substr(equals + 1);
        if (const std::size_t at = value.find("%26"); at != std::string_view::npos) {
            // What is lost, as the pass decodes it: a secret's, or holding a
            // secret's field, it is masked as the field text is.
            const Field decodedKey = UrlDecode(key);
            const bool secret = std::any_of(
                kLaunchParameters.begin(), kLaunchParameters.end(),
                [&](const LaunchParameter& p) { return p.secret && decodedKey == p.key; });
            const Field lost = UrlDecode(std::string(value.substr(at + 3)));
            const std::string shown = secret || !lost
                                          ? std::string(kMask)
                                          : Printable(MaskedFieldText("&" + *lost).substr(1));
            warnings.push_back("the value of " + Printable(key) +
                               " holds \"%26\", an encoded \"&\", which still ends it: \"" + shown +
                               "\" is lost, and no value can hold \"&\"");
        }
        if (++seen[key] == 2)
            warnings.push_back(Printable(key) +
                               " is given more than once: the first value is read");
    }
    return warnings;
}

}  // namespace torvale
