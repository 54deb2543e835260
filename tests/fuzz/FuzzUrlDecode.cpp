// UrlDecode and GetFromUrl on any bytes: no crash, no sanitizer report, and
// the contracts the launch parameters rely on.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "base/Utf8.h"
#include "core/request/Request.h"
#include "core/request/UrlDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const torvale::Field decoded = torvale::UrlDecode(input);
    const auto detailed = torvale::DecodeFieldText(input);
    // Both report the same outcome; a failure points inside the input.
    if (decoded.has_value() != std::holds_alternative<std::string>(detailed)) std::abort();
    if (const auto* failure = std::get_if<torvale::DecodeFailure>(&detailed)) {
        if (failure->offset >= size) std::abort();
    }
    if (decoded && (torvale::utf8::FirstInvalidByte(*decoded) || decoded->size() > size))
        std::abort();

    for (const auto& parameter : torvale::kLaunchParameters) {
        const torvale::Field value = torvale::GetFromUrl(decoded, parameter.key);
        if (value.has_value() != decoded.has_value()) std::abort();
        if (value && value->find('&') != std::string::npos) std::abort();
    }
    (void)torvale::DecodeLaunchUrl(input);
    return 0;
}
