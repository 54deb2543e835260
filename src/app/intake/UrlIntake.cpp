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

}  // namespace

void AppDelegate::handleURLEvent(const Field& urlText) {
    // A modal alert can deliver the next URL event while this pass is still
    // running. Refilling the launch parameters under a launcher would mix two
    // requests, so the event waits its turn.
    if (inPass_) {
        pendingEvents_.push_back(urlText);
        return;
    }
    struct PassGuard {
        bool& flag;
        ~PassGuard() { flag = false; }
    } guard{inPass_};
    inPass_ = true;

    RunPass(urlText);
    while (!pendingEvents_.empty()) {
        const Field next = std::move(pendingEvents_.front());
        pendingEvents_.pop_front();
        RunPass(next);
    }
}

void AppDelegate::RunPass(const Field& urlText) {
    url = urlText ? Decoded(DecodeLaunchUrl(*urlText)) : std::nullopt;
    Init();
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
