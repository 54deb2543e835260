// The core's readers against independent oracles: decode_oracle.py and inet_pton.

#include <arpa/inet.h>

#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "core/address/Address.h"
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

// Generated from groups that are and are not one, joined by ":" with at
// most one "::" somewhere, some with a dotted quad at the end.
TEST(Ipv6Oracle, TakesExactlyTheFormsInetPtonTakes) {
    const std::string groups[] = {"1", "ffff", "0", "aBcD", "db8", "7", "00000", "12345", "g", ""};
    const std::string quads[] = {"", "", "1.2.3.4", "01.2.3.4", "1.2.3", "1.2.3.4."};
    std::vector<std::string> inputs = {
        "1::2::3",    "12345::1",          ":::",     "1:2:3",  "::1.2.3",
        "::01.2.3.4", "1:2:3:4:5:6:7:8:9", ":1:2::3", "1:2::3:"};
    std::mt19937 random(4291);
    for (int i = 0; i < 30000; ++i) {
        std::string text;
        const std::size_t count = random() % 10, elided = random() % 12;
        for (std::size_t n = 0; n < count; ++n)
            text += (n == elided ? "::" : n ? ":" : "") + groups[random() % std::size(groups)];
        inputs.push_back(text + (elided == count ? "::" : "") + quads[random() % std::size(quads)]);
    }
    std::size_t taken = 0;
    for (const std::string& text : inputs) {
        in6_addr address;
        const bool theirs = inet_pton(AF_INET6, text.c_str(), &address) == 1;
        taken += theirs;
        if (text.find(':') == std::string::npos) continue;  // a name or IPv4 address
        EXPECT_EQ(IsHost(text), theirs) << text;
    }
    EXPECT_GT(taken, 500u);  // the generator reaches the addresses, not just the rest
}

}  // namespace
}  // namespace torvale::test
