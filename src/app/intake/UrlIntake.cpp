// The URL event: the launch URL text becomes the decoded field text `url`,
// and the request pass runs on it.

#include <utility>

#include "app/AppDelegate.h"
#include "app/Utf8.h"

namespace torvale {
namespace {

// The scheme and "://" ahead of the first field, counted in UTF-16 code units.
constexpr std::size_t kHeadUnits = 10;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The URL text without its head. Text that is not UTF-8, or a head that ends
// inside a character, is treated like a failed decoding; a text shorter than
// the head leaves an empty field text.
Field FieldText(const Field& urlText) {
    if (!urlText || !utf8::IsValid(*urlText))
        return std::nullopt;
    const auto offset = utf8::OffsetAfterUtf16Units(*urlText, kHeadUnits);
    if (!offset)
        return std::nullopt;
    return urlText->substr(*offset);
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
    url = UrlDecode(FieldText(urlText));
    Init();
}

Field AppDelegate::UrlDecode(const Field& text) {
    if (!text)
        return std::nullopt;
    const std::string& in = *text;
    std::string out;
    out.reserve(in.size());
    // "+" becomes a space before escapes are read, so "%2B" stays a plus sign.
    // Doing both in one pass gives the same result: a "+" never makes an escape.
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '+') {
            out += ' ';
        } else if (c != '%') {
            out += c;
        } else {
            if (in.size() - i < 3)
                return std::nullopt;
            const int high = HexValue(in[i + 1]);
            const int low = HexValue(in[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    // Escaped bytes must form whole characters together with the text around
    // them; anything else fails the whole text, never a part of it.
    if (!utf8::IsValid(out))
        return std::nullopt;
    return out;
}

Field AppDelegate::GetFromUrl(const Field& text, std::string_view name) {
    if (!text)
        return std::nullopt;
    // "&" and "=" around the key keep "port" from matching "sshport=" and
    // "user" from matching "username=".
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern += '&';
    pattern += name;
    pattern += '=';

    const std::size_t found = text->find(pattern);
    if (found == std::string::npos)
        return std::string();
    const std::size_t start = found + pattern.size();
    const std::size_t end = text->find('&', start);
    if (end == std::string::npos)
        return std::string();
    return text->substr(start, end - start);
}

}  // namespace torvale
