// The URL event: the launch URL text becomes the decoded field text `url`,
// and the request pass runs on it.

#include <utility>

#include "app/AppDelegate.h"
#include "app/intake/UrlDecoding.h"

namespace torvale {
namespace {

Field Decoded(std::variant<std::string, DecodeFailure> result) {
    if (auto* text = std::get_if<std::string>(&result)) return std::move(*text);
    return std::nullopt;
}

// Replaces every occurrence of a secret in `text`.
void BlankOut(std::string& text, const std::string& secret) {
    if (secret.empty()) return;
    for (std::size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + 8)) {
        text.replace(at, secret.size(), "********");
    }
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
        BlankOut(*text, Str(m_password));
        BlankOut(*text, Str(m_monitorpassword));
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
