// The URL event: the launch URL text becomes the decoded field text `url`,
// and the request pass runs on it.

#include <utility>

#include "core/AppDelegate.h"
#include "base/Masking.h"

namespace torvale {

void AppDelegate::handleURLEvent(const Field& urlText) {
    Decoded decoded;
    if (urlText) {
        auto result = DecodeLaunchUrl(*urlText);
        if (auto* text = std::get_if<std::string>(&result)) {
            decoded.fieldText = std::move(*text);
        } else {
            decoded.failure = std::get<DecodeFailure>(result);
        }
    }
    if (exclusive_) {
        if (pendingPasses_.size() < kPendingLimit) {
            pendingPasses_.push_back(std::move(decoded));
        } else if (!std::exchange(droppedSinceDrained_, true)) {
            platform_.log.Write("Launch URLs dropped: " + std::to_string(kPendingLimit) +
                                " already wait for the current one");
        }
        return;
    }
    Exclusively([&] { RunPass(decoded); });
}

void AppDelegate::Exclusively(const std::function<void()>& work) {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{exclusive_};
    exclusive_ = true;

    work();
    while (!pendingPasses_.empty()) {
        const Decoded next = std::move(pendingPasses_.front());
        pendingPasses_.pop_front();
        RunPass(next);
    }
    droppedSinceDrained_ = false;
}

void AppDelegate::RunPass(const Decoded& decoded) {
    pass_ = PassRecord{};
    pass_.decodeFailure = decoded.failure;
    pass_.record.time = std::chrono::system_clock::now();
    LoadConfiguration();
    url = decoded.fieldText;
    Init();

    // The history is shown to anyone at the screen: no password goes there,
    // wherever a launch URL may have put it. The client and its reason come
    // from this machine, not the URL: blanking a password there would only
    // garble them.
    LaunchRecord shown = pass_.record;
    for (std::string* text : {&shown.gateway, &shown.detail})
        *text = Masked(*text, {Str(m_password), Str(m_monitorpassword)});
    history.Add(std::move(shown));
}

Field AppDelegate::UrlDecode(const Field& text) {
    if (!text) return std::nullopt;
    auto result = DecodeFieldText(*text);
    if (auto* decoded = std::get_if<std::string>(&result)) return std::move(*decoded);
    return std::nullopt;
}

Field AppDelegate::GetFromUrl(const Field& text, std::string_view name) {
    if (!text) return std::nullopt;
    // "&" and "=" around the key keep "port" from matching "sshport=" or
    // "portal=".
    const std::string pattern = "&" + std::string(name) + "=";

    const std::size_t found = text->find(pattern);
    if (found == std::string::npos) return std::string();
    const std::size_t start = found + pattern.size();
    const std::size_t end = text->find('&', start);
    if (end == std::string::npos) return std::string();
    return text->substr(start, end - start);
}

}  // namespace torvale
