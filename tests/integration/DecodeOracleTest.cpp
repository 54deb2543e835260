// UrlDecode against an independent oracle: decode_oracle.py decodes with
// Python's urllib and its strict UTF-8 decoder the inputs it generates.

#include <sstream>

#include <gtest/gtest.h>

#include "core/request/Request.h"
#include "support/System.h"

namespace torvale::test {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

TEST(DecodeOracle, AgreesOnGeneratedInputs) {
    const ProcessResult oracle =
        RunProcess({"python3", SOURCE_DIR "/tests/integration/decode_oracle.py"},
                   {"PATH=/usr/local/bin:/usr/bin:/bin"});
    ASSERT_EQ(oracle.exitStatus, 0) << oracle.err;
    std::istringstream lines(oracle.out);
    std::size_t inputs = 0, mismatches = 0;
    for (std::string line; std::getline(lines, line); ++inputs) {
        const std::string input = line.substr(0, line.find(' ')),
                          answer = line.substr(line.find(' ') + 1);
        const Field ours = UrlDecode(FromHex(input));
        const Field theirs = answer == "-" ? std::nullopt : Field(FromHex(answer));
        if (ours != theirs && ++mismatches <= 10)
            ADD_FAILURE() << "input " << input << ": oracle " << answer;
    }
    EXPECT_EQ(inputs, 100512u);
    EXPECT_EQ(mismatches, 0u);
}

}  // namespace
}  // namespace torvale::test
