// The decoding of field texts and launch URLs on any bytes: no crash, no
// sanitizer report, and a failure points inside the input. What a text
// decodes to is held to an independent decoder by DecodeOracle.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/request/UrlDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    torvale::DecodeFailure failure{};
    if (!torvale::DecodeFieldText(input, &failure) && failure.offset >= size) std::abort();
    (void)torvale::DecodeLaunchUrl(input, &failure);
    return 0;
}
