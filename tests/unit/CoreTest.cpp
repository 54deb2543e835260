// What the case table cannot say: the history's bound, and the text that
// leaves the process.

#include <gtest/gtest.h>

#include "app/Printable.h"
#include "platform/headless/DryRun.h"
#include "support/Fakes.h"

namespace torvale::test {
namespace {

TEST(Core, HistoryKeepsTheNewestPasses) {
    Harness h;
    h.Open("&action=StartWinscp&");
    for (std::size_t i = 0; i < LaunchHistory::kCapacity; ++i)
        h.Open("&action=StartPutty&");
    const auto& entries = h.delegate.history.Entries();
    EXPECT_EQ(entries.size(), LaunchHistory::kCapacity);
    EXPECT_EQ(entries.back().action, "StartPutty");
}

TEST(Core, PrintableShowsEveryControlAndNothingActsOnTheTerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"中文 plain", "中文 plain"},
        {"a\\b\nc\td\re", "a\\\\b\\nc\\td\\re"},
        {std::string("\0\x1b]52;c;x\x07\x7f", 11), "\\x00\\x1b]52;c;x\\x07\\x7f"},
        {"\xC2\x85\xC2\x9B\xC2\xA0", "\\xc2\\x85\\xc2\\x9b\xC2\xA0"},  // NEL, CSI; NBSP stays
        {"\xFF\xE4\xB8", "\\xff\\xe4\\xb8"},                           // not UTF-8
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(Printable(text), shown) << shown;
}

TEST(Core, MaskSecretsHidesEveryPasswordField) {
    EXPECT_EQ(MaskSecrets("&password=a&monitorpassword=b&entrust_password=1&password=&password=c"),
              "&password=********&monitorpassword=********&entrust_password=1&password=&password=**"
              "******");
    EXPECT_EQ(MaskSecrets(std::string("&password=a\0b/&", 15)),
              std::string("&password=********/\0&", 21));
    EXPECT_EQ(MaskSecrets("x=1&passwords=2&"), "x=1&passwords=2&");
}

}  // namespace
}  // namespace torvale::test
