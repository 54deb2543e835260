// The decoding of field texts and launch URLs on any bytes: no crash, no
// sanitizer report, and a failure points inside the input. What a text
// decodes to is held to an independent decoder by DecodeOracle.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "core/request/UrlDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto decoded = torvale::DecodeFieldText(input);
    if (const auto* failure = std::get_if<torvale::DecodeFailure>(&decoded)) {
        if (failure->offset >= size) std::abort();
    }
    (void)torvale::DecodeLaunchUrl(input);
    return 0;
}
