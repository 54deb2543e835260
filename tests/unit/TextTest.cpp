// Text that leaves the process: what a terminal is shown, and what the dry
// run masks.

#include <gtest/gtest.h>

#include "app/Printable.h"
#include "platform/headless/DryRun.h"

namespace torvale::test {
namespace {

TEST(Text, PrintableShowsEveryControlAndNothingActsOnTheTerminal) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"中文 plain", "中文 plain"},
        {"a\\b\nc\td\re", "a\\\\b\\nc\\td\\re"},
        {std::string("\0\x1b]52;c;x\x07\x7f", 11), "\\x00\\x1b]52;c;x\\x07\\x7f"},
        {"\xC2\x85\xC2\x9B\xC2\xA0", "\\xc2\\x85\\xc2\\x9b\xC2\xA0"},  // NEL, CSI; NBSP stays
        {"\xFF\xE4\xB8", "\\xff\\xe4\\xb8"},                           // not UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(Printable(c.text), c.shown) << c.shown;
}

TEST(Text, MaskSecretsHidesEveryPasswordField) {
    EXPECT_EQ(MaskSecrets("&password=a&monitorpassword=b&entrust_password=1&password=&password=c"),
              "&password=********&monitorpassword=********&entrust_password=1&password=&password=**"
              "******");
    EXPECT_EQ(MaskSecrets(std::string("&password=a\0b&", 14)),
              std::string("&password=********\0&", 20));
    EXPECT_EQ(MaskSecrets("x=1&passwords=2&"), "x=1&passwords=2&");
}

}  // namespace
}  // namespace torvale::test
