#include "core/request/UrlDecoding.h"

#include "base/Text.h"
#include "base/Utf8.h"

namespace torvale {
namespace {

// The scheme and "://" ahead of the first field, counted in UTF-16 code units.
constexpr std::size_t kHeadUnits = 10;

// The input offset that produced output byte `target`: an escape makes one
// byte of three input bytes, anything else one of one.
std::size_t InputOffset(std::string_view in, std::size_t target) {
    std::size_t i = 0;
    for (std::size_t produced = 0; produced < target; ++produced)
        i += in[i] == '%' ? 3u : 1u;
    return i;
}

// Says why and where, where the caller asked.
std::nullopt_t Failed(DecodeFailure* failure, std::size_t offset, std::string_view reason) {
    if (failure != nullptr) *failure = {offset, reason};
    return std::nullopt;
}

}  // namespace

std::optional<std::string> DecodeFieldText(std::string_view in, DecodeFailure* failure) {
    std::string out;
    // "+" becomes a space before escapes are read, so "%2B" stays a plus sign.
    // Doing both in one pass gives the same result: a "+" never makes an escape.
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '+') {
            out += ' ';
        } else if (c != '%') {
            out += c;
        } else {
            if (in.size() - i < 3 || HexValue(in[i + 1]) < 0 || HexValue(in[i + 2]) < 0) {
                // Report whichever fault stands first: bytes decoded so far
                // that nothing completes now, or this escape.
                if (const auto bad = utf8::FirstInvalidByte(out)) {
                    return Failed(failure, InputOffset(in, *bad), "not UTF-8");
                }
                return Failed(failure, i, "malformed percent escape");
            }
            out += static_cast<char>(HexValue(in[i + 1]) * 16 + HexValue(in[i + 2]));
            i += 2;
        }
    }
    // Escaped bytes must form whole characters together with the text around
    // them; anything else fails the whole text, never a part of it.
    if (const auto bad = utf8::FirstInvalidByte(out)) {
        return Failed(failure, InputOffset(in, *bad), "not UTF-8");
    }
    return out;
}

std::optional<std::string> DecodeLaunchUrl(std::string_view urlText, DecodeFailure* failure) {
    if (const auto bad = utf8::FirstInvalidByte(urlText)) {
        return Failed(failure, *bad, "launch URL is not UTF-8");
    }
    // A text shorter than the head leaves an empty field text.
    const auto head = utf8::OffsetAfterUtf16Units(urlText, kHeadUnits);
    if (!head) return Failed(failure, 0, "the 10-unit head ends inside a character");

    auto decoded = DecodeFieldText(urlText.substr(*head), failure);
    if (!decoded && failure != nullptr) failure->offset += *head;
    return decoded;
}

}  // namespace torvale
