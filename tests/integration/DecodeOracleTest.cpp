// UrlDecode against an independent oracle (Python's urllib and its strict
// UTF-8 decoder) on generated inputs: escapes of every byte in both cases,
// "+", raw UTF-8, truncated and overlong sequences, surrogates, %00 and
// malformed escapes.

#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "support/System.h"

namespace torvale::test {
namespace {

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        out += {kDigits[c >> 4], kDigits[c & 15]};
    }
    return out;
}

std::string Escape(unsigned byte, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    return {'%', digits[byte >> 4], digits[byte & 15]};
}

TEST(DecodeOracle, AgreesOnGeneratedInputs) {
    std::vector<std::string> pieces;
    std::istringstream fixed(
        "+ %2B %00 % %4 %G0 %+1 & = a 中 é 😀 %E4%B8%AD %E4%B8 %C3 %A9 %C0%AF %E0%80%AF "
        "%F0%80%80%80 "
        "%ED%A0%80 %ED%BF%BF %EF%BF%BF %F4%8F%BF%BF %F4%90%80%80 %F8%88%80%80%80 %FF");
    for (std::string piece; fixed >> piece;)
        pieces.push_back(piece);
    for (const char* raw : {" ", "\xE4\xB8", "\xC3", "\xFF", "\xED\xA0\x80"})
        pieces.push_back(raw);

    std::mt19937 random(7);
    std::uniform_int_distribution<unsigned> byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() + 1);
    std::uniform_int_distribution<int> length(0, 10);
    std::vector<std::string> inputs;
    for (int i = 0; i < 100000; ++i) {
        std::string input;
        for (int n = length(random); n > 0; --n) {
            const std::size_t choice = pick(random);
            if (choice < pieces.size()) {
                input += pieces[choice];
            } else if (choice == pieces.size()) {
                input += Escape(byte(random), byte(random) & 1);
            } else {
                input += static_cast<char>(byte(random) % 0x7f + 1);  // raw ASCII
            }
        }
        inputs.push_back(input);
    }
    for (unsigned b = 0; b < 256; ++b)
        inputs.insert(inputs.end(), {Escape(b, false), Escape(b, true)});

    std::string request;
    for (const std::string& input : inputs)
        request += Hex(input) + "\n";
    const ProcessResult oracle =
        RunProcess({"python3", std::string(SOURCE_DIR) + "/tests/integration/decode_oracle.py"},
                   {"PATH=/usr/local/bin:/usr/bin:/bin", "PYTHONIOENCODING=ascii"}, request);
    ASSERT_EQ(oracle.exitStatus, 0) << oracle.err;

    std::istringstream answers(oracle.out);
    std::size_t mismatches = 0;
    for (const std::string& input : inputs) {
        std::string answer;
        ASSERT_TRUE(std::getline(answers, answer)) << "oracle stopped early";
        const Field ours = AppDelegate::UrlDecode(input);
        if ((ours ? Hex(*ours) : "-") != answer && ++mismatches <= 10) {
            ADD_FAILURE() << "input " << Hex(input) << ": ours " << (ours ? Hex(*ours) : "-")
                          << ", oracle " << answer;
        }
    }
    EXPECT_EQ(mismatches, 0u) << "of " << inputs.size() << " inputs";
}

}  // namespace
}  // namespace torvale::test
