// The URL event: the launch URL text becomes the decoded field text `url`,
// and the request pass runs on it.

#include <utility>
#include <vector>

#include "app/AppDelegate.h"
#include "app/intake/UrlDecoding.h"

namespace torvale {
namespace {

Field Decoded(std::variant<std::string, DecodeFailure> result) {
    if (auto* text = std::get_if<std::string>(&result)) return std::move(*text);
    return std::nullopt;
}

// `text` with every occurrence of `secret` replaced, left to right. Both may
// be as long as a launch URL, so the search is Knuth-Morris-Pratt: linear in
// both, where a plain find from each position is quadratic.
std::string BlankedOut(std::string_view text, std::string_view secret) {
    if (secret.empty()) return std::string(text);
    // border[i]: the length of the longest proper prefix of secret[0, i) that
    // is also its suffix.
    std::vector<std::size_t> border(secret.size() + 1, 0);
    for (std::size_t i = 1, k = 0; i < secret.size(); ++i) {
        while (k > 0 && secret[i] != secret[k])
            k = border[k];
        if (secret[i] == secret[k]) ++k;
        border[i + 1] = k;
    }
    std::string out;
    std::size_t matched = 0, copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        while (matched > 0 && text[i] != secret[matched])
            matched = border[matched];
        if (text[i] == secret[matched]) ++matched;
        if (matched == secret.size()) {
            out.append(text.substr(copied, i + 1 - secret.size() - copied));
            out += "********";
            copied = i + 1;
            matched = 0;
        }
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace

void AppDelegate::handleURLEvent(const Field& urlText) {
    HandleFieldText(urlText ? Decoded(DecodeLaunchUrl(*urlText)) : std::nullopt);
}

void AppDelegate::HandleFieldText(const Field& fieldText) {
    if (exclusive_) {
        pendingPasses_.push_back(fieldText);
        return;
    }
    Exclusively([&] { RunPass(fieldText); });
}

void AppDelegate::Exclusively(const std::function<void()>& work) {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{exclusive_};
    exclusive_ = true;

    work();
    while (!pendingPasses_.empty()) {
        const Field next = std::move(pendingPasses_.front());
        pendingPasses_.pop_front();
        RunPass(next);
    }
}

void AppDelegate::RunPass(const Field& fieldText) {
    record_ = LaunchRecord{};
    record_.time = std::chrono::system_clock::now();
    LoadConfiguration();
    url = fieldText;
    Init();

    // The history is shown to anyone at the screen: no password goes there,
    // wherever a launch URL may have put it. The client and its reason come
    // from this machine, not the URL: blanking a password there would only
    // garble them.
    for (std::string* text : {&record_.gateway, &record_.detail}) {
        *text = BlankedOut(BlankedOut(*text, Str(m_password)), Str(m_monitorpassword));
    }
    history.Add(std::move(record_));
}

Field AppDelegate::UrlDecode(const Field& text) {
    return text ? Decoded(DecodeFieldText(*text)) : std::nullopt;
}

Field AppDelegate::GetFromUrl(const Field& text, std::string_view name) {
    if (!text) return std::nullopt;
    // "&" and "=" around the key keep "port" from matching "sshport=" and
    // "user" from matching "username=".
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern += '&';
    pattern += name;
    pattern += '=';

    const std::size_t found = text->find(pattern);
    if (found == std::string::npos) return std::string();
    const std::size_t start = found + pattern.size();
    const std::size_t end = text->find('&', start);
    if (end == std::string::npos) return std::string();
    return text->substr(start, end - start);
}

}  // namespace torvale
